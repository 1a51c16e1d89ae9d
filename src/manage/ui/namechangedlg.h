#pragma once
// The rename dialog "名前の変更": checks the new name against the stock list and
// the Data folder before it closes with OK.
#include <QDialog>
#include <filesystem>
#include <string>
#include <vector>

class QLineEdit;
class QPushButton;

namespace zt {

class TNameChangeDlg : public QDialog {
    Q_OBJECT

  public:
    // names: the stock list; index: the stock being renamed (skipped by the
    // duplicate check); dataDir: where the stock files are.
    TNameChangeDlg(QWidget* parent, std::vector<std::string> names, int index,
                   std::filesystem::path dataDir);

    // The name in Edit1, as UTF-8.
    [[nodiscard]] std::string newName() const;

    QLineEdit* Edit1 = nullptr;
    QPushButton* ButtonOK = nullptr;
    QPushButton* ButtonCancel = nullptr;

  public slots:
    int exec() override;
    void ButtonOKClick(); // closes with OK when the name passes, else warns and stays open

  protected:
    bool event(QEvent* e) override;            // see modalrelease.h
    void keyPressEvent(QKeyEvent* e) override; // Escape does not close it

  private:
    int execDepth_ = 0;
    std::vector<std::string> names_;
    int index_;
    std::filesystem::path dataDir_;
};

} // namespace zt
