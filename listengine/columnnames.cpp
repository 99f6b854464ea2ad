#include "listengine/columnnames.h"

#include <iterator>
#include <string>

#include "listengine/errors.h"
#include "listengine/internal/columnfinder.h"
#include "listengine/messagetext.h"

namespace kennfix::listengine {

bool SameColumnName(std::string_view cell, std::string_view name)
{
    return internal::HeaderKey(cell, internal::RowEncoding::Utf8) == internal::HeaderKey(name, internal::RowEncoding::Utf8);
}

void CheckColumnOptions(const ListOptions& options)
{
    struct Job {
        std::string_view name;
        std::string_view role;
    };
    const Job jobs[] = {
        {options.familyNameColumn, "des Familiennamens"},
        {options.firstNameColumn, "des Vornamens"},
        {options.birthDateColumn, "des Geburtsdatums"},
    };
    for (const Job& job : jobs) {
        if (internal::HeaderKey(job.name, internal::RowEncoding::Utf8).empty())
            throw ListError(0, std::string("Der Name der Spalte ") + std::string(job.role) + " ist leer.");
    }
    for (std::size_t a = 0; a < std::size(jobs); ++a) {
        const std::string key = internal::HeaderKey(jobs[a].name, internal::RowEncoding::Utf8);
        // A column of the list called Fehler or Prüfung is one like any
        // other (ours then take another name); eTIN holds stored eTINs.
        if (key == internal::HeaderKey(internal::kEtinHeader, internal::RowEncoding::Utf8)) {
            throw ListError(0, "Die Spalte " + Quoted(ForMessage(jobs[a].name)) + " kann nicht die Spalte " +
                                   std::string(jobs[a].role) + " sein: die Spalte eTIN hält gespeicherte eTINs.");
        }
        for (std::size_t b = a + 1; b < std::size(jobs); ++b) {
            if (key == internal::HeaderKey(jobs[b].name, internal::RowEncoding::Utf8)) {
                throw ListError(0, "Die Spalte " + Quoted(ForMessage(jobs[a].name)) + " ist zugleich als Spalte " +
                                       std::string(jobs[a].role) + " und " + std::string(jobs[b].role) +
                                       " angegeben; jede Spalte hat nur eine Aufgabe.");
            }
        }
    }
}

}  // namespace kennfix::listengine
