#pragma once
// The rename dialog "名前の変更": checks the new name against the stock list and
// the Data folder before it closes with OK.
#include <QDialog>
#include <filesystem>
#include <string>
#include <vector>

class QLineEdit;

namespace zt {

class RenameStockDialog : public QDialog {
    Q_OBJECT

  public:
    // names: the stock list; index: the stock being renamed (skipped by the
    // duplicate check); dataDir: where the stock files are.
    RenameStockDialog(QWidget* parent, std::vector<std::string> names, int index,
                      std::filesystem::path dataDir);

    void setNewName(const std::string& name);
    [[nodiscard]] std::string newName() const;

    // Closes with OK when the name passes, else warns and stays open.
    void acceptIfValid();

  protected:
    void keyPressEvent(QKeyEvent* e) override; // Escape does not close it

  private:
    QLineEdit* edit_ = nullptr;
    std::vector<std::string> names_;
    int index_;
    std::filesystem::path dataDir_;
};

} // namespace zt
