#pragma once
// Message boxes, file dialogs, the folder browser and help go through this one
// interface: the program uses Qt's dialogs, the window tests a scripted double
// of their own, so no test ever waits on a modal box.
#include "library/stocklibrary.h"

#include <QString>
#include <QStringList>
#include <memory>
#include <optional>

class QWidget;

namespace zt {

enum class MsgButtons { Ok, OkCancel };
enum class MsgIcon { None, Warning, Exclamation, Information };
enum class MsgResult { Ok, Cancel };

class DialogService {
  public:
    virtual ~DialogService() = default;

    // detail: a second line under the text (the system's reason for a
    // failure, say); empty for none.
    virtual MsgResult messageBox(QWidget* owner, const QString& title, const QString& text,
                                 MsgButtons buttons, MsgIcon icon, const QString& detail) = 0;
    MsgResult messageBox(QWidget* owner, const QString& title, const QString& text,
                         MsgButtons buttons, MsgIcon icon) {
        return messageBox(owner, title, text, buttons, icon, QString());
    }

    // Save-file dialog; nullopt when cancelled. filter uses Qt's "Text (*.txt)" form.
    virtual std::optional<QString> saveFileName(QWidget* owner, const QString& title,
                                                const QString& startPath, const QString& filter,
                                                const QString& defaultSuffix) = 0;

    // Folder browser starting in startFolder (empty: the home folder);
    // nullopt when cancelled.
    virtual std::optional<QString> browseForFolder(QWidget* owner, const QString& title,
                                                   const QString& startFolder) = 0;

    // Open-file dialog choosing one or more existing files, starting in
    // startFolder (empty: the home folder); nullopt when cancelled. filter uses
    // Qt's "Images (*.iso *.img);;All (*)" form.
    virtual std::optional<QStringList> openFileNames(QWidget* owner, const QString& title,
                                                     const QString& startFolder,
                                                     const QString& filter) = 0;

    // Opens a file or folder with the desktop's default application (a folder:
    // the file manager); false when nothing could be started.
    virtual bool openWithDesktop(const QString& path) = 0;

    // Opens the help document at a topic number.
    virtual void showHelp(QWidget* owner, int topic) = 0;
};

// The process-wide service (Qt's dialogs unless a test installed another).
DialogService& dialogs();
// Installs a service; returns the previous one so a test can put it back.
std::unique_ptr<DialogService> setDialogService(std::unique_ptr<DialogService> service);

// Where a save dialog starts: the folder of the last file saved while the
// program runs, else the home folder. Only a save that succeeded is
// remembered (call rememberSavedFile once the file is written), and never a
// folder that is gone or lies in a pseudo file system (/proc, /sys, /dev).
[[nodiscard]] QString saveStartFolder();
void rememberSavedFile(const QString& file);
// True for an existing folder on a real file system: a dialog may start there.
[[nodiscard]] bool usableStartFolder(const QString& folder);

// Warning box with the title "警告" and an OK button: the usual error report.
void warn(QWidget* owner, const QString& text);
// The same for a failed use case: its message, and its detail as the second
// line, as the command line prints them.
void warn(QWidget* owner, const StockResult& failure);

} // namespace zt
