#pragma once

#include <QString>
#include <QStringList>

class QWidget;

// Every message, question and input a screen asks of the operator goes through
// the prompter. The real one shows dialogs; tests install a scripted one that
// answers from a queue.
class Prompter
{
public:
    enum class Icon { None, Information, Warning, Error, Question };

    virtual ~Prompter() = default;

    virtual void message(const QString &text, const QString &caption, Icon icon) = 0;
    // Yes/No with the question icon; true for Yes.
    virtual bool question(const QString &text, const QString &caption) = 0;
    // Modes: 0 text, 1 date, 2 time, 3 date and time. `masked` hides what is
    // typed (passwords). True when the operator confirmed; `value` is then the answer.
    virtual bool inputText(const QString &prompt, QString &value, int mode, bool masked, QWidget *owner) = 0;
    // True with the 0-based choice in `index`; false with index -1 when cancelled.
    virtual bool selectOption(const QString &prompt, const QStringList &items, int &index) = 0;
    // Empty when cancelled.
    virtual QString openFileName(const QString &caption, const QString &dir, const QString &filter) = 0;
    virtual QString saveFileName(const QString &caption, const QString &dir, const QString &filter) = 0;

    // False once the prompter can give no further answers (a test script that
    // ran out); loops that ask again until the answer is right stop then.
    virtual bool stillAnswering() const { return true; }

    // The prompter in use; the dialog prompter unless one was installed.
    static Prompter &instance();
    // Installs `prompter` (not owned) for the rest of the run, or the dialogs again with nullptr.
    static void install(Prompter *prompter);
};

// Shows real dialogs, parented to the active window.
class DialogPrompter : public Prompter
{
public:
    void message(const QString &text, const QString &caption, Icon icon) override;
    bool question(const QString &text, const QString &caption) override;
    bool inputText(const QString &prompt, QString &value, int mode, bool masked, QWidget *owner) override;
    bool selectOption(const QString &prompt, const QStringList &items, int &index) override;
    QString openFileName(const QString &caption, const QString &dir, const QString &filter) override;
    QString saveFileName(const QString &caption, const QString &dir, const QString &filter) override;
};

// The generic dialogs by their system names; modal results 1 (OK) and 2 (cancel).
int InputText(const QString &prompt, QString &value, int mode, bool masked = false);
int InputTextWithOwner(QWidget *owner, const QString &prompt, QString &value, int mode, bool masked = false);
int SelectOption(const QString &prompt, const QStringList &items, int &index);
