#pragma once
// The file-name export dialog "書き出し": output file, what to write, from where,
// and whether to drop extensions. Created at its first use and kept, so every
// choice carries over to the next export of the run.
#include "manage/export.h"

#include <QDialog>
#include <QString>
#include <filesystem>

class QButtonGroup;
class QCheckBox;
class QLayout;
class QLineEdit;

namespace zt {

class ExportNamesDialog : public QDialog {
    Q_OBJECT

  public:
    explicit ExportNamesDialog(QWidget* parent = nullptr);

    // The folder a first export writes into: the program's folder when it can be
    // written to, else the user's home folder.
    [[nodiscard]] static QString defaultOutputFolder();

    [[nodiscard]] const QString& outputFolder() const { return outputFolder_; }
    void setOutputFolder(const QString& folder); // also shown in the folder line
    // Output folder + "/" + the file name.
    [[nodiscard]] std::filesystem::path outputPath() const;

    // Index of the checked item of each radio group.
    [[nodiscard]] int targetKind() const;
    void setTargetKind(int index);
    [[nodiscard]] int range() const;
    void setRange(int index);
    [[nodiscard]] ExportOptions options() const;

    // Chooses the output file with the save dialog.
    void chooseOutputFile();

  private:
    QLayout* buildChoices();
    QLayout* buildButtons();

    QLineEdit* fileName_ = nullptr;
    QLineEdit* folder_ = nullptr; // read-only
    QCheckBox* dropExtensions_ = nullptr;
    QButtonGroup* targetKindButtons_ = nullptr;
    QButtonGroup* rangeButtons_ = nullptr;
    QString outputFolder_;
};

} // namespace zt
