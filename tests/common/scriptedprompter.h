#pragma once

#include "core/prompter.h"

#include <QList>
#include <QString>
#include <QStringList>

// Answers the program's questions from a queue and records every one of them.
// A question that finds no queued answer of its kind fails the running test;
// so does an answer left over when the prompter goes away. Installed while it lives.
class ScriptedPrompter : public Prompter
{
public:
    enum class Kind { Message, Question, Input, Option, OpenFile, SaveFile };

    struct Asked {
        Kind kind;
        QString text; // message, question or prompt; caption of file dialogs
        QString caption;
        Icon icon = Icon::None;
        int mode = 0;
        bool masked = false;
        QStringList items;
    };

    ScriptedPrompter();
    ~ScriptedPrompter() override;

    // Queue answers, in the order the questions will come.
    ScriptedPrompter &acknowledge();              // a message
    ScriptedPrompter &answerYes();
    ScriptedPrompter &answerNo();
    ScriptedPrompter &answerText(const QString &value);
    ScriptedPrompter &cancelInput();
    ScriptedPrompter &answerOption(int index);    // -1 cancels
    ScriptedPrompter &answerFile(const QString &path, Kind kind = Kind::OpenFile); // empty cancels

    QList<Asked> asked;
    bool pending() const { return !m_queue.isEmpty(); }
    // Text of the last message or question, for compact checks.
    QString lastText() const { return asked.isEmpty() ? QString() : asked.constLast().text; }

    void message(const QString &text, const QString &caption, Icon icon) override;
    bool question(const QString &text, const QString &caption) override;
    bool inputText(const QString &prompt, QString &value, int mode, bool masked, QWidget *owner) override;
    bool selectOption(const QString &prompt, const QStringList &items, int &index) override;
    QString openFileName(const QString &caption, const QString &dir, const QString &filter) override;
    QString saveFileName(const QString &caption, const QString &dir, const QString &filter) override;
    bool stillAnswering() const override { return !m_failed; }

private:
    struct Answer {
        Kind kind;
        bool accept = true;
        QString text;
        int index = -1;
    };
    bool take(Kind kind, const QString &what, Answer *answer);
    QList<Answer> m_queue;
    bool m_failed = false;
};
