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
class QGroupBox;
class QLineEdit;
class QPushButton;

namespace zt {

class TWriteFileNameDlg : public QDialog {
    Q_OBJECT

  public:
    explicit TWriteFileNameDlg(QWidget* parent = nullptr);

    // The folder a first export writes into: the program's folder when it can be
    // written to, else the user's home folder.
    [[nodiscard]] static QString defaultOutputFolder();

    [[nodiscard]] const QString& outputFolder() const { return outputFolder_; }
    void setOutputFolder(const QString& folder); // also shown in Edit2
    // Output folder + "/" + the file name of Edit1.
    [[nodiscard]] std::filesystem::path outputPath() const;

    // Index of the checked item of each radio group.
    [[nodiscard]] int targetKind() const;
    void setTargetKind(int index);
    [[nodiscard]] int range() const;
    void setRange(int index);
    [[nodiscard]] ExportOptions options() const;

    QLineEdit* Edit1 = nullptr;     // file name
    QLineEdit* Edit2 = nullptr;     // output folder, read-only
    QPushButton* Button3 = nullptr; // 参照
    QGroupBox* RG_TargetKind = nullptr;
    QGroupBox* RG_Range = nullptr;
    QCheckBox* CB_EraseKaku = nullptr;
    QPushButton* Button1 = nullptr; // 書き出し
    QPushButton* Button2 = nullptr; // キャンセル

  public slots:
    int exec() override;
    void Button3Click(); // choose the output file with the save dialog

  protected:
    bool event(QEvent* e) override; // see modalrelease.h

  private:
    int execDepth_ = 0;
    QButtonGroup* targetKindButtons_ = nullptr;
    QButtonGroup* rangeButtons_ = nullptr;
    QString outputFolder_;
};

} // namespace zt
