#pragma once
// The dialog service of the window tests: answers from queues and records
// every call, so no test waits on a modal box.
#include "gui/common/dialogservice.h"

#include <deque>
#include <optional>
#include <vector>

namespace zt {

// Answers from queues; records every call.
class ScriptedDialogs : public DialogService {
  public:
    struct Shown {
        QString title, text;
        MsgButtons buttons;
        MsgIcon icon;
        QString detail; // the second line
    };

    std::deque<MsgResult> messageAnswers;             // for OK/Cancel boxes; default Ok when empty
                                                      // (an OK-only box answers Ok, taking none)
    std::deque<std::optional<QString>> saveAnswers;   // default cancelled
    std::deque<std::optional<QString>> folderAnswers; // default cancelled
    std::deque<std::optional<QStringList>> fileAnswers; // open-file dialogs; default cancelled
    QStringList fileTitles, fileFilters;
    std::vector<Shown> shown;                         // every message box, in order
    QStringList saveTitles, folderTitles;
    QStringList saveStarts, folderStarts; // where each dialog was asked to start
    QStringList opened;                   // paths given to the desktop to open
    bool desktopOpens = true;             // what openWithDesktop answers
    std::vector<int> helpTopics;

    using DialogService::messageBox;
    MsgResult messageBox(QWidget*, const QString& title, const QString& text, MsgButtons buttons,
                         MsgIcon icon, const QString& detail) override;
    std::optional<QString> saveFileName(QWidget*, const QString& title, const QString& startPath,
                                        const QString& filter,
                                        const QString& defaultSuffix) override;
    std::optional<QString> browseForFolder(QWidget*, const QString& title,
                                           const QString& startFolder) override;
    std::optional<QStringList> openFileNames(QWidget*, const QString& title, const QString&,
                                             const QString& filter) override;
    bool openWithDesktop(const QString& path) override;
    void showHelp(QWidget*, int topic) override;
};

} // namespace zt
