// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDialog>
#include <memory>
#include <string>

namespace Ui {
class CodeNameDialog;
}

namespace velmora {

// The small modal dialog in which the user types an entry's code and name, for a duplicate or a
// change of code. The caller sets the caption and both texts (and may disable the name), runs
// exec() and on OK reads both texts. The fields stop at a code's and a name's length; Enter is OK
// and Escape is Cancel. The fields take the width the dialog is given.
class CodeNameDialog : public QDialog {
    Q_OBJECT

  public:
    // Stays on top of the other windows and opens centred on `owner`'s window.
    explicit CodeNameDialog(QWidget* owner = nullptr);
    ~CodeNameDialog() override;

    void SetCaption(const std::string& caption);
    // Edit1: the code; Edit2: the name.
    void SetCode(const std::string& code);
    void SetName(const std::string& name);
    void SetNameEnabled(bool enabled);
    std::string Code() const;
    std::string Name() const;

  private:
    void OKButtonClick();

    std::unique_ptr<Ui::CodeNameDialog> m_ui;
};

}  // namespace velmora
