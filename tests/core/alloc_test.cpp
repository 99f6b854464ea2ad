// A calculation needs no heap beyond its result, and the 14-character result
// fits the string's own buffer: counted here with operators of our own.

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>

#include "core/cp1252.h"
#include "core/etin.h"

namespace {
std::atomic<long> g_allocations{0};
}

void* operator new(std::size_t size)
{
    ++g_allocations;
    if (void* p = std::malloc(size ? size : 1))
        return p;
    throw std::bad_alloc();
}

void operator delete(void* p) noexcept
{
    std::free(p);
}

void operator delete(void* p, std::size_t) noexcept
{
    std::free(p);
}

namespace kennfix {
namespace {

TEST(ComputeEtin, NoHeapAllocation)
{
    const std::string family = Utf8ToWindows1252("Müller-Lüdenscheidt-Schönberg-Äßmann-Özi").text;
    const std::string first = Utf8ToWindows1252("Hans-Jürgen Maximilian Ölaf Zoë Ümit").text;
    ASSERT_EQ(family.size(), 40u);
    const std::string date = "29.02.00";
    const DateSettings settings;

    const long before = g_allocations;
    const EtinResult r = ComputeEtin(family, first, date, settings, 2026);
    EXPECT_EQ(g_allocations - before, 0);
    EXPECT_EQ(r.kind, EtinResult::Ok);
    EXPECT_EQ(r.etin.size(), 14u);
}

}  // namespace
}  // namespace kennfix
