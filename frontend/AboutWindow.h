#pragma once
// frmAbout: the program's name, version, build and maker, with links to the
// maker's web page and support address. Built afresh at every showing.

#include <QDialog>
#include <memory>

#include "MessageBox.h"
#include "Shell.h"

namespace Ui {
class frmAbout;
}

namespace ostrel {

class AboutWindow : public QDialog {
    Q_OBJECT

public:
    AboutWindow(Shell& shell, MessageBox& messages, QWidget* owner);
    ~AboutWindow() override;

private:
    std::unique_ptr<Ui::frmAbout> ui_;
};

}  // namespace ostrel
