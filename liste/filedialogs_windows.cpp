#include "liste/filedialogs_windows.h"

#include <windows.h>

#include <shobjidl.h>

#include <QDir>
#include <QFileInfo>
#include <QWidget>

namespace kennfix::liste {
namespace {

// The key under which Windows would keep what the dialogs saw; it is
// cleared after every use.
constexpr GUID kDialogMemory = {0x5d6c1f3a, 0x8e27, 0x4b0d, {0x9a, 0x41, 0x2c, 0x7e, 0x63, 0xb5, 0x10, 0xd8}};

// Holds a COM interface and lets go of it at the end of the scope.
template <class Interface>
class Held {
public:
    Held() = default;
    ~Held()
    {
        if (m_pointer)
            m_pointer->Release();
    }
    Held(const Held&) = delete;
    Held& operator=(const Held&) = delete;
    Interface* operator->() const { return m_pointer; }
    Interface** operator&() { return &m_pointer; }
    explicit operator bool() const { return m_pointer != nullptr; }
    Interface* get() const { return m_pointer; }

private:
    Interface* m_pointer = nullptr;
};

std::wstring Native(const QString& path)
{
    return QDir::toNativeSeparators(path).toStdWString();
}

}  // namespace

std::optional<QString> AskWithWindowsDialog(QWidget* parent, WindowsFileDialog kind, const QString& caption,
                                            const QString& start)
{
    const bool save = kind == WindowsFileDialog::Save;
    Held<IFileDialog> dialog;
    if (FAILED(::CoCreateInstance(save ? CLSID_FileSaveDialog : CLSID_FileOpenDialog, nullptr, CLSCTX_INPROC_SERVER,
                                  save ? IID_IFileSaveDialog : IID_IFileOpenDialog, reinterpret_cast<void**>(&dialog))))
        return std::nullopt;

    FILEOPENDIALOGOPTIONS options = 0;
    dialog->GetOptions(&options);
    options |= FOS_FORCEFILESYSTEM | FOS_NOCHANGEDIR | FOS_DONTADDTORECENT | FOS_PATHMUSTEXIST;
    options |= save ? FOS_OVERWRITEPROMPT : FOS_FILEMUSTEXIST;
    dialog->SetOptions(options);
    dialog->SetClientGuid(kDialogMemory);
    dialog->SetTitle(Native(caption).c_str());

    const COMDLG_FILTERSPEC listsToOpen[] = {{L"CSV-Listen", L"*.csv;*.txt"}, {L"Alle Dateien", L"*.*"}};
    const COMDLG_FILTERSPEC listsToSave[] = {{L"CSV-Listen", L"*.csv"}, {L"Alle Dateien", L"*.*"}};
    dialog->SetFileTypes(2, save ? listsToSave : listsToOpen);
    dialog->SetFileTypeIndex(1);
    if (save)
        dialog->SetDefaultExtension(L"csv");

    // The folder is set, not proposed: the dialog would otherwise open
    // where it was last.
    const QFileInfo proposed(start);
    const QString folder = start.isEmpty() ? QDir::currentPath() : save ? proposed.absolutePath() : start;
    Held<IShellItem> folderItem;
    if (SUCCEEDED(::SHCreateItemFromParsingName(Native(QDir(folder).absolutePath()).c_str(), nullptr, IID_IShellItem,
                                                reinterpret_cast<void**>(&folderItem))))
        dialog->SetFolder(folderItem.get());
    if (save)
        dialog->SetFileName(Native(proposed.fileName()).c_str());

    const HWND owner = parent ? reinterpret_cast<HWND>(parent->window()->winId()) : nullptr;
    const HRESULT shown = dialog->Show(owner);
    QString chosen;
    Held<IShellItem> result;
    if (SUCCEEDED(shown) && SUCCEEDED(dialog->GetResult(&result))) {
        wchar_t* path = nullptr;
        if (SUCCEEDED(result->GetDisplayName(SIGDN_FILESYSPATH, &path))) {
            chosen = QDir::fromNativeSeparators(QString::fromWCharArray(path));
            ::CoTaskMemFree(path);
        }
    }
    dialog->ClearClientData();
    if (FAILED(shown) && shown != HRESULT_FROM_WIN32(ERROR_CANCELLED))
        return std::nullopt;
    return chosen;
}

}  // namespace kennfix::liste
