// The file rules of files.h on Windows. Paths are UTF-8 and go to the
// wide-character calls, made absolute and given the \\?\ prefix so that
// neither umlauts nor paths longer than 260 characters stop them.

#include "listengine/files.h"

#include <windows.h>

#include <aclapi.h>

#include <algorithm>
#include <cstring>
#include <istream>
#include <mutex>
#include <optional>
#include <ostream>
#include <random>
#include <utility>
#include <vector>

#include "listengine/internal/systemfile.h"
#include "listengine/messagetext.h"
#include "listengine/widetext_windows.h"

namespace kennfix::listengine {

using internal::Failure;
using internal::kStandardInputClosed;
using internal::kStandardOutputClosed;

namespace {

HANDLE Handle(FileHandle file)
{
    return reinterpret_cast<HANDLE>(file);
}

FileHandle FromHandle(HANDLE handle)
{
    return reinterpret_cast<FileHandle>(handle);
}

// The absolute path with the \\?\ prefix, which lifts the 260-character
// limit; the system makes it absolute first, as it would have done.
std::wstring SystemPath(const std::string& path)
{
    const std::wstring wide = Wide(path);
    if (wide.starts_with(L"\\\\?\\"))
        return wide;
    const DWORD length = ::GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
    if (length == 0)
        return wide;
    std::wstring full(length, L'\0');
    full.resize(::GetFullPathNameW(wide.c_str(), length, full.data(), nullptr));
    if (full.starts_with(L"\\\\"))
        return L"\\\\?\\UNC\\" + full.substr(2);
    return L"\\\\?\\" + full;
}

bool IsOpenElsewhere(DWORD error)
{
    return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION;
}

// Excel and others keep the files they have open locked.
std::string OpenElsewhere(const std::string& path)
{
    return QuotedForMessage(path) +
           " ist in einem anderen Programm geöffnet, z. B. in Excel. Bitte die Datei dort schließen und es noch "
           "einmal versuchen.";
}

FileError OpenFailure(const std::string& path, const std::string& verb, DWORD error)
{
    return FileError(IsOpenElsewhere(error) ? OpenElsewhere(path)
                                            : Failure(QuotedForMessage(path), verb, static_cast<int>(error)));
}

FileStamp StampOf(HANDLE file)
{
    FILE_BASIC_INFO basic{};
    LARGE_INTEGER size{};
    if (::GetFileType(file) != FILE_TYPE_DISK ||
        !::GetFileInformationByHandleEx(file, FileBasicInfo, &basic, sizeof basic) || !::GetFileSizeEx(file, &size))
        return {};
    return {true, static_cast<std::uint64_t>(size.QuadPart), basic.LastWriteTime.QuadPart, basic.ChangeTime.QuadPart};
}

// What tells a file from every other, whatever name it is reached by: its
// volume and its number there. FILE_ID_INFO's 128 bits where the system
// gives them (ReFS needs all of them), else GetFileInformationByHandle's 64.
struct FileIdentity {
    std::uint64_t volume = 0;
    FILE_ID_128 id{};
    bool operator==(const FileIdentity& other) const
    {
        return volume == other.volume && std::memcmp(id.Identifier, other.id.Identifier, sizeof id.Identifier) == 0;
    }
};

std::optional<FileIdentity> IdentityOf(HANDLE file)
{
    FILE_ID_INFO info{};
    if (::GetFileInformationByHandleEx(file, FileIdInfo, &info, sizeof info))
        return FileIdentity{info.VolumeSerialNumber, info.FileId};
    BY_HANDLE_FILE_INFORMATION basic{};
    if (!::GetFileInformationByHandle(file, &basic))
        return std::nullopt;
    FileIdentity identity{basic.dwVolumeSerialNumber, {}};
    const std::uint64_t index = (std::uint64_t{basic.nFileIndexHigh} << 32) | basic.nFileIndexLow;
    std::memcpy(identity.id.Identifier, &index, sizeof index);
    return identity;
}

// Whether the path's file name is one that Windows reserves for a device
// (CON, PRN, AUX, NUL, COM0-9, LPT0-9, the last two also with ¹, ² and ³;
// CONIN$, CONOUT$): in any case, also with an extension, and with the dots
// and blanks at the end that Windows drops. Opened, such a name reaches the
// device, not a file.
bool IsDeviceName(const std::wstring& path)
{
    std::wstring name = path.substr(path.find_last_of(L"\\/:") + 1);
    while (!name.empty() && (name.back() == L'.' || name.back() == L' '))
        name.pop_back();
    name.erase(std::min(name.find(L'.'), name.size()));
    while (!name.empty() && name.back() == L' ')
        name.pop_back();
    for (wchar_t& c : name) {
        if (c >= L'a' && c <= L'z')
            c = static_cast<wchar_t>(c - L'a' + L'A');
    }
    if (name == L"CON" || name == L"PRN" || name == L"AUX" || name == L"NUL" || name == L"CONIN$" ||
        name == L"CONOUT$")
        return true;
    const auto isPortDigit = [](wchar_t c) {
        return (c >= L'0' && c <= L'9') || c == L'\u00B9' || c == L'\u00B2' || c == L'\u00B3';
    };
    return name.size() == 4 && (name.starts_with(L"COM") || name.starts_with(L"LPT")) && isPortDigit(name[3]);
}

// A security descriptor with only an access list, in one piece (self-
// relative) so that it can be kept and copied; empty when Windows refuses.
std::vector<unsigned char> DescriptorWith(PACL accessList, bool isProtected)
{
    SECURITY_DESCRIPTOR descriptor;
    if (!::InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION) ||
        !::SetSecurityDescriptorDacl(&descriptor, TRUE, accessList, FALSE) ||
        !::SetSecurityDescriptorControl(&descriptor, SE_DACL_PROTECTED, isProtected ? SE_DACL_PROTECTED : 0))
        return {};
    DWORD size = 0;
    ::MakeSelfRelativeSD(&descriptor, nullptr, &size);
    std::vector<unsigned char> selfRelative(size);
    if (size == 0 || !::MakeSelfRelativeSD(&descriptor, selfRelative.data(), &size))
        return {};
    return selfRelative;
}

// How a file's access list is taken over by the file we write.
enum class AccessListUse {
    // By the file that replaces it: its own entries, and the folder's
    // inherited ones again unless it was shut off from them, so that it
    // stands as the file it replaces did.
    Same,
    // By a new file: every entry its own and nothing inherited from the
    // folder it is made in, so that exactly those who may read the list
    // may read the new file.
    Own,
};
// Either way, a list is never a program: no entry of ours lets anybody run it.

// The access list of an open file (opened with READ_CONTROL), ready to be
// given to the file we write; empty when it cannot be read.
std::vector<unsigned char> AccessListOf(HANDLE file, AccessListUse use)
{
    PACL accessList = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (::GetSecurityInfo(file, SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr, &accessList, nullptr,
                          &descriptor) != ERROR_SUCCESS)
        return {};
    SECURITY_DESCRIPTOR_CONTROL control = 0;
    DWORD revision = 0;
    ::GetSecurityDescriptorControl(descriptor, &control, &revision);
    const bool shutOff = use == AccessListUse::Own || (control & SE_DACL_PROTECTED);
    std::vector<unsigned char> result;
    if (accessList == nullptr) {
        // No list at all lets everybody in; so it stays.
        result = DescriptorWith(nullptr, shutOff);
    } else {
        // Copied into DWORDs, as an ACL must be aligned.
        std::vector<DWORD> copy((accessList->AclSize + sizeof(DWORD) - 1) / sizeof(DWORD));
        std::memcpy(copy.data(), accessList, accessList->AclSize);
        const auto list = reinterpret_cast<PACL>(copy.data());
        for (DWORD i = list->AceCount; i-- > 0;) {
            void* entry = nullptr;
            if (!::GetAce(list, i, &entry))
                continue;
            auto* header = static_cast<ACE_HEADER*>(entry);
            if (use == AccessListUse::Same && !shutOff && (header->AceFlags & INHERITED_ACE)) {
                // The folder gives these again when the file is made.
                ::DeleteAce(list, i);
                continue;
            }
            header->AceFlags &= ~INHERITED_ACE;
            if (header->AceType == ACCESS_ALLOWED_ACE_TYPE)
                static_cast<ACCESS_ALLOWED_ACE*>(entry)->Mask &= ~(FILE_EXECUTE | GENERIC_EXECUTE);
        }
        result = DescriptorWith(list, shutOff);
    }
    ::LocalFree(descriptor);
    return result;
}

// An access list that lets in the user running the program and nobody else,
// for what came from standard input.
std::vector<unsigned char> UserAlone()
{
    HANDLE token = nullptr;
    if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &token))
        return {};
    DWORD size = 0;
    ::GetTokenInformation(token, TokenUser, nullptr, 0, &size);
    std::vector<DWORD> user((size + sizeof(DWORD) - 1) / sizeof(DWORD) + 1);
    const bool known = size > 0 && ::GetTokenInformation(token, TokenUser, user.data(), size, &size);
    ::CloseHandle(token);
    if (!known)
        return {};
    const PSID sid = reinterpret_cast<TOKEN_USER*>(user.data())->User.Sid;
    const DWORD listSize = sizeof(ACL) + sizeof(ACCESS_ALLOWED_ACE) - sizeof(DWORD) + ::GetLengthSid(sid);
    std::vector<DWORD> list((listSize + sizeof(DWORD) - 1) / sizeof(DWORD));
    const auto accessList = reinterpret_cast<PACL>(list.data());
    if (!::InitializeAcl(accessList, listSize, ACL_REVISION) ||
        !::AddAccessAllowedAce(accessList, ACL_REVISION, FILE_ALL_ACCESS & ~FILE_EXECUTE, sid))
        return {};
    return DescriptorWith(accessList, true);
}

// Held while a temporary file comes into being or goes, so that the console
// handler, which runs on a thread of its own, never misses one.
std::timed_mutex g_temporariesChanging;

std::wstring RandomSuffix()
{
    static constexpr wchar_t kLetters[] = L"abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    thread_local std::mt19937 generator{std::random_device{}()};
    std::uniform_int_distribution<std::size_t> pick(0, std::size(kLetters) - 2);
    std::wstring suffix = L".";
    for (int i = 0; i < 6; ++i)
        suffix += kLetters[pick(generator)];
    return suffix;
}

BOOL WINAPI RemoveTemporariesAndEnd(DWORD event)
{
    switch (event) {
    case CTRL_C_EVENT:
    case CTRL_BREAK_EVENT:
    case CTRL_CLOSE_EVENT:
    case CTRL_LOGOFF_EVENT:
    case CTRL_SHUTDOWN_EVENT:
        RemoveTemporaryFiles();
        // The status a program ended by Ctrl+C has on Windows.
        ::ExitProcess(STATUS_CONTROL_C_EXIT);
    default:
        return FALSE;
    }
}

}  // namespace

namespace internal {

const int kReadFault = ERROR_READ_FAULT;
const int kWriteFault = ERROR_WRITE_FAULT;
const int kStreamClosed = ERROR_INVALID_HANDLE;

std::ptrdiff_t ReadSome(std::intptr_t file, char* data, std::size_t size, int& error)
{
    DWORD got = 0;
    const DWORD wanted = static_cast<DWORD>(std::min<std::size_t>(size, 1U << 30));
    if (::ReadFile(Handle(file), data, wanted, &got, nullptr))
        return got;
    const DWORD reason = ::GetLastError();
    // The writer of a pipe has closed it: that is its end.
    if (reason == ERROR_BROKEN_PIPE || reason == ERROR_HANDLE_EOF)
        return 0;
    error = static_cast<int>(reason);
    return -1;
}

std::ptrdiff_t WriteSome(std::intptr_t file, const char* data, std::size_t size, int& error)
{
    DWORD put = 0;
    const DWORD wanted = static_cast<DWORD>(std::min<std::size_t>(size, 1U << 30));
    if (::WriteFile(Handle(file), data, wanted, &put, nullptr) && put > 0)
        return put;
    const DWORD reason = ::GetLastError();
    error = reason == ERROR_SUCCESS ? ERROR_WRITE_FAULT : static_cast<int>(reason);
    return -1;
}

}  // namespace internal

std::string SystemErrorText(int error)
{
    switch (static_cast<DWORD>(error)) {
    case ERROR_ACCESS_DENIED: return "Keine Berechtigung";
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND: return "Datei oder Verzeichnis nicht gefunden";
    case ERROR_DIRECTORY: return "Ist ein Verzeichnis";
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL: return "Auf dem Gerät ist kein Speicherplatz mehr verfügbar";
    case ERROR_WRITE_PROTECT: return "Das Medium ist schreibgeschützt";
    case ERROR_FILENAME_EXCED_RANGE: return "Der Dateiname ist zu lang";
    case ERROR_INVALID_NAME: return "Der Dateiname ist ungültig";
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION: return "Die Datei ist in einem anderen Programm geöffnet";
    case ERROR_BROKEN_PIPE:
    case ERROR_NO_DATA: return "Der Empfänger hat die Verbindung beendet";
    case ERROR_NOT_ENOUGH_MEMORY:
    case ERROR_OUTOFMEMORY: return "Nicht genügend Hauptspeicher verfügbar";
    case ERROR_TOO_MANY_OPEN_FILES: return "Zu viele offene Dateien";
    case ERROR_NOT_SAME_DEVICE: return "Das Ziel liegt auf einem anderen Laufwerk";
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS: return "Die Datei existiert bereits";
    case ERROR_INVALID_HANDLE: return "Ungültiges Handle";
    case ERROR_NETWORK_ACCESS_DENIED: return "Der Netzwerkzugriff wurde verweigert";
    case ERROR_BAD_NETPATH:
    case ERROR_BAD_NET_NAME: return "Der Netzwerkpfad wurde nicht gefunden";
    case ERROR_WRITE_FAULT:
    case ERROR_READ_FAULT:
    case ERROR_CRC: return "Eingabe-/Ausgabefehler";
    default: return "Systemfehler " + std::to_string(error);
    }
}

InputFile::InputFile(const std::string& path, FileKinds kinds) : m_path(path)
{
    if (IsStandardStream(path)) {
        const HANDLE input = ::GetStdHandle(STD_INPUT_HANDLE);
        if (input == nullptr || input == INVALID_HANDLE_VALUE)
            throw FileError(kStandardInputClosed);
        m_file = FromHandle(input);
    } else {
        // Others may go on reading and writing it (a change is noticed); a
        // program that keeps it locked for itself is named.
        const HANDLE file = ::CreateFileW(SystemPath(path).c_str(), GENERIC_READ,
                                          FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                          FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
        if (file == INVALID_HANDLE_VALUE) {
            DWORD error = ::GetLastError();
            // Windows refuses to open a folder as a file with "access denied".
            const DWORD attributes = ::GetFileAttributesW(SystemPath(path).c_str());
            if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
                error = ERROR_DIRECTORY;
            throw OpenFailure(path, "kann nicht gelesen werden", error);
        }
        m_file = FromHandle(file);
        m_ownFile = true;
        m_opened = StampOf(file);
        if (m_opened.regular)
            m_newOutputRights.securityDescriptor = AccessListOf(file, AccessListUse::Own);
        if (kinds == FileKinds::RegularOnly && !m_opened.regular) {
            ::CloseHandle(file);
            throw FileError(QuotedForMessage(path) +
                            " ist keine gewöhnliche Datei und kann nicht als Liste gelesen werden.");
        }
        m_size = m_opened.size;
    }
    m_buffer = std::make_unique<internal::FileBuffer>(m_file);
    m_stream = std::make_unique<std::istream>(m_buffer.get());
}

InputFile::~InputFile()
{
    if (m_ownFile)
        ::CloseHandle(Handle(m_file));
}

bool InputFile::IsSameFileAs(const std::string& path) const
{
    if (::GetFileType(Handle(m_file)) != FILE_TYPE_DISK)
        return false;
    // Asking for no more than its attributes opens any file, also one that
    // another program keeps locked.
    const HANDLE other = ::CreateFileW(SystemPath(path).c_str(), FILE_READ_ATTRIBUTES,
                                       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                       FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (other == INVALID_HANDLE_VALUE)
        return false;
    const std::optional<FileIdentity> theirs = IdentityOf(other);
    ::CloseHandle(other);
    const std::optional<FileIdentity> mine = IdentityOf(Handle(m_file));
    return mine && theirs && *mine == *theirs;
}

bool InputFile::ChangedSinceOpened() const
{
    return m_opened.regular && StampOf(Handle(m_file)) != m_opened;
}

OutputFile::OutputFile(const std::string& path, const NewFileRights& newFileRights, FileKinds kinds) : m_path(path)
{
    if (IsStandardStream(path)) {
        const HANDLE output = ::GetStdHandle(STD_OUTPUT_HANDLE);
        if (output == nullptr || output == INVALID_HANDLE_VALUE)
            throw FileError(kStandardOutputClosed);
        m_file = FromHandle(output);
    } else {
        if (IsDeviceName(Wide(path))) {
            throw FileError(QuotedForMessage(path) +
                            " ist ein Name, den Windows für ein Gerät vorbehält (wie CON, PRN, AUX, NUL, COM1 oder "
                            "LPT1, auch mit einer Endung wie .csv); eine Datei dieses Namens kann nicht angelegt "
                            "werden. Bitte einen anderen Namen wählen.");
        }
        const std::wstring given = SystemPath(path);
        const DWORD attributes = ::GetFileAttributesW(given.c_str());
        m_existed = attributes != INVALID_FILE_ATTRIBUTES;
        if (m_existed && (attributes & FILE_ATTRIBUTE_DIRECTORY))
            throw FileError(Failure(QuotedForMessage(path), "kann nicht geschrieben werden", ERROR_DIRECTORY));
        if (m_existed && (attributes & FILE_ATTRIBUTE_READONLY))
            throw FileError(QuotedForMessage(path) + " ist schreibgeschützt und wird nicht ersetzt.");
        std::wstring target = given;
        std::vector<unsigned char> security;  // for the file we write
        if (m_existed) {
            // Opened as it will be replaced: a file another program keeps
            // open, or whose access list does not let us write it, is named
            // now, before the list is read. Links are followed to the file
            // they name, which is the one replaced.
            const HANDLE existing = ::CreateFileW(given.c_str(),
                                                  DELETE | FILE_WRITE_DATA | FILE_READ_ATTRIBUTES | READ_CONTROL,
                                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
            if (existing == INVALID_HANDLE_VALUE)
                throw OpenFailure(path, "kann nicht geschrieben werden", ::GetLastError());
            const bool regular = ::GetFileType(existing) == FILE_TYPE_DISK;
            if (regular) {
                std::wstring final(32768, L'\0');
                const DWORD length = ::GetFinalPathNameByHandleW(existing, final.data(),
                                                                 static_cast<DWORD>(final.size()), FILE_NAME_NORMALIZED);
                if (length > 0 && length < final.size())
                    target = final.substr(0, length);
                security = AccessListOf(existing, AccessListUse::Same);
            }
            ::CloseHandle(existing);
            if (!regular && kinds == FileKinds::RegularOnly) {
                throw FileError(QuotedForMessage(path) +
                                " ist keine gewöhnliche Datei; eine Liste wird nur in eine gewöhnliche Datei gespeichert.");
            }
            if (!regular) {
                // A device or a pipe takes what we write; replacing it would break it.
                const HANDLE device = ::CreateFileW(given.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
                if (device == INVALID_HANDLE_VALUE)
                    throw OpenFailure(path, "kann nicht geschrieben werden", ::GetLastError());
                m_file = FromHandle(device);
                m_ownFile = true;
            }
        }
        if (!m_ownFile) {
            // Made with the access list it will have: there is no moment in
            // which more may read it. One that cannot be read makes the file
            // the user's alone; an output on a drive without access lists
            // (FAT) gets none.
            if (!m_existed)
                security = newFileRights.securityDescriptor;
            if (security.empty())
                security = UserAlone();
            SECURITY_ATTRIBUTES rights{sizeof(SECURITY_ATTRIBUTES), security.empty() ? nullptr : security.data(), FALSE};
            // Beside the target, so that it takes the target's place in one
            // step; nobody else may open it while it fills. Deleting it is
            // shared, with ourselves: on Ctrl+C the console handler deletes
            // it while it is still open here, and Windows refuses to delete
            // an open file unless its opener allowed it.
            std::lock_guard held(g_temporariesChanging);
            for (int attempt = 0; attempt < 100 && !m_ownFile; ++attempt) {
                const std::wstring temporary = target + RandomSuffix();
                const HANDLE file = ::CreateFileW(temporary.c_str(), GENERIC_WRITE | DELETE, FILE_SHARE_DELETE, &rights,
                                                  CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
                if (file == INVALID_HANDLE_VALUE) {
                    const DWORD error = ::GetLastError();
                    if (error == ERROR_FILE_EXISTS)
                        continue;
                    throw FileError(
                        Failure(QuotedForMessage(path), "kann nicht angelegt werden", static_cast<int>(error)));
                }
                m_file = FromHandle(file);
                m_ownFile = true;
                m_temporary = Utf8(temporary);
                m_target = Utf8(target);
                internal::RegisterTemporary(m_temporary);
            }
            if (!m_ownFile)
                throw FileError(Failure(QuotedForMessage(path), "kann nicht angelegt werden", ERROR_FILE_EXISTS));
        }
    }
    m_buffer = std::make_unique<internal::FileBuffer>(m_file);
    m_stream = std::make_unique<std::ostream>(m_buffer.get());
}

OutputFile::~OutputFile()
{
    if (m_ownFile && m_file != -1)
        ::CloseHandle(Handle(m_file));
    RemoveTemporary();
}

void OutputFile::RemoveTemporary()
{
    if (m_temporary.empty())
        return;
    if (m_ownFile && m_file != -1)
        ::CloseHandle(Handle(std::exchange(m_file, -1)));
    std::lock_guard held(g_temporariesChanging);
    ::DeleteFileW(Wide(m_temporary).c_str());
    internal::UnregisterTemporary(m_temporary);
    m_temporary.clear();
}

void OutputFile::Commit(const BeforeCommit& beforeCommit)
{
    FinishWriting(beforeCommit);
    const auto fail = [&](DWORD error) {
        throw FileError(IsOpenElsewhere(error) ? OpenElsewhere(m_path)
                                               : Failure(QuotedForMessage(m_path), "kann nicht geschrieben werden",
                                                         static_cast<int>(error)));
    };
    if (m_temporary.empty()) {
        if (m_ownFile && !::CloseHandle(Handle(std::exchange(m_file, -1))))
            fail(::GetLastError());
        return;
    }
    if (!::FlushFileBuffers(Handle(m_file)))
        fail(::GetLastError());
    if (!::CloseHandle(Handle(std::exchange(m_file, -1))))
        fail(::GetLastError());
    std::lock_guard held(g_temporariesChanging);
    if (!::MoveFileExW(Wide(m_temporary).c_str(), Wide(m_target).c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        fail(::GetLastError());
    internal::UnregisterTemporary(m_temporary);
    m_temporary.clear();
}

void RemoveTemporaryFiles()
{
    // Another thread may be putting its file in place; it is given a moment.
    const bool locked = g_temporariesChanging.try_lock_for(std::chrono::seconds(1));
    internal::ForEachTemporary([](const char* path) { ::DeleteFileW(Wide(path).c_str()); });
    if (locked)
        g_temporariesChanging.unlock();
}

void RemoveTemporaryFilesOnSignals()
{
    ::SetConsoleCtrlHandler(RemoveTemporariesAndEnd, TRUE);
}

std::string ManualReference(const std::string& program)
{
    // Long paths (up to 32767 characters) are what the programs handle.
    std::wstring path(32768, L'\0');
    const DWORD length = ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    path.resize(length);
    path.resize(path.find_last_of(L"\\/") + 1);  // npos + 1: no folder, the page alone
    return Utf8(path) + program + ".html";
}

}  // namespace kennfix::listengine
