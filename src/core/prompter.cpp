#include "core/prompter.h"

#include "core/inputdlg.h"
#include "core/wizarddlg.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>

namespace {

Prompter *g_installed = nullptr;

QMessageBox::Icon boxIcon(Prompter::Icon icon)
{
    switch (icon) {
    case Prompter::Icon::Information: return QMessageBox::Information;
    case Prompter::Icon::Warning: return QMessageBox::Warning;
    case Prompter::Icon::Error: return QMessageBox::Critical;
    case Prompter::Icon::Question: return QMessageBox::Question;
    case Prompter::Icon::None: break;
    }
    return QMessageBox::NoIcon;
}

} // namespace

Prompter &Prompter::instance()
{
    static DialogPrompter dialogs;
    return g_installed ? *g_installed : dialogs;
}

void Prompter::install(Prompter *prompter)
{
    g_installed = prompter;
}

void DialogPrompter::message(const QString &text, const QString &caption, Icon icon)
{
    QMessageBox box(boxIcon(icon), caption, text, QMessageBox::Ok, QApplication::activeWindow());
    box.exec();
}

bool DialogPrompter::question(const QString &text, const QString &caption)
{
    QMessageBox box(QMessageBox::Question, caption, text, QMessageBox::Yes | QMessageBox::No,
                    QApplication::activeWindow());
    box.setDefaultButton(QMessageBox::Yes);
    return box.exec() == QMessageBox::Yes;
}

bool DialogPrompter::inputText(const QString &prompt, QString &value, int mode, bool masked, QWidget *owner)
{
    Tm_InputDlg dialog(owner ? owner : QApplication::activeWindow());
    dialog.setup(prompt, value, mode, masked);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    value = dialog.value();
    return true;
}

bool DialogPrompter::selectOption(const QString &prompt, const QStringList &items, int &index)
{
    Tm_WizardDlg dialog(QApplication::activeWindow());
    dialog.setup(prompt, items);
    const bool ok = dialog.exec() == QDialog::Accepted;
    index = ok ? dialog.selectedIndex() : -1;
    return ok;
}

QString DialogPrompter::openFileName(const QString &caption, const QString &dir, const QString &filter)
{
    return QFileDialog::getOpenFileName(QApplication::activeWindow(), caption, dir, filter);
}

QString DialogPrompter::saveFileName(const QString &caption, const QString &dir, const QString &filter)
{
    return QFileDialog::getSaveFileName(QApplication::activeWindow(), caption, dir, filter);
}

int InputText(const QString &prompt, QString &value, int mode, bool masked)
{
    return Prompter::instance().inputText(prompt, value, mode, masked, nullptr) ? 1 : 2;
}

int InputTextWithOwner(QWidget *owner, const QString &prompt, QString &value, int mode, bool masked)
{
    return Prompter::instance().inputText(prompt, value, mode, masked, owner) ? 1 : 2;
}

int SelectOption(const QString &prompt, const QStringList &items, int &index)
{
    return Prompter::instance().selectOption(prompt, items, index) ? 1 : 2;
}
