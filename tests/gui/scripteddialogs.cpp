#include "gui/scripteddialogs.h"

namespace zt {

namespace {

// The next scripted answer; cancelled when none is left.
std::optional<QString> popAnswer(std::deque<std::optional<QString>>& answers) {
    if (answers.empty()) return std::nullopt;
    const bool given = answers.front().has_value();
    const QString text = given ? *answers.front() : QString();
    answers.pop_front();
    if (!given) return std::nullopt;
    return text;
}

} // namespace

MsgResult ScriptedDialogs::messageBox(QWidget*, const QString& title, const QString& text,
                                      MsgButtons buttons, MsgIcon icon, const QString& detail) {
    shown.push_back({title, text, buttons, icon, detail});
    // A box with only OK can answer nothing else; scripted answers are kept
    // for the boxes that ask.
    if (buttons == MsgButtons::Ok || messageAnswers.empty()) return MsgResult::Ok;
    const MsgResult r = messageAnswers.front();
    messageAnswers.pop_front();
    return r;
}

std::optional<QString> ScriptedDialogs::saveFileName(QWidget*, const QString& title,
                                                     const QString& startPath, const QString&,
                                                     const QString&) {
    saveTitles.append(title);
    saveStarts.append(startPath);
    return popAnswer(saveAnswers);
}

std::optional<QString> ScriptedDialogs::browseForFolder(QWidget*, const QString& title,
                                                        const QString& startFolder) {
    folderTitles.append(title);
    folderStarts.append(startFolder);
    return popAnswer(folderAnswers);
}

std::optional<QStringList> ScriptedDialogs::openFileNames(QWidget*, const QString& title,
                                                          const QString&, const QString& filter) {
    fileTitles.append(title);
    fileFilters.append(filter);
    if (fileAnswers.empty()) return std::nullopt;
    // As popAnswer: the list copied out before the optional goes.
    const bool given = fileAnswers.front().has_value();
    const QStringList files = given ? *fileAnswers.front() : QStringList();
    fileAnswers.pop_front();
    if (!given) return std::nullopt;
    return files;
}

bool ScriptedDialogs::openWithDesktop(const QString& path) {
    opened.append(path);
    return desktopOpens;
}

void ScriptedDialogs::showHelp(QWidget*, int topic) {
    helpTopics.push_back(topic);
}

} // namespace zt
