#include "common/scriptedprompter.h"

#include <QTest>

namespace {

const char *kindName(ScriptedPrompter::Kind kind)
{
    switch (kind) {
    case ScriptedPrompter::Kind::Message: return "message";
    case ScriptedPrompter::Kind::Question: return "question";
    case ScriptedPrompter::Kind::Input: return "input";
    case ScriptedPrompter::Kind::Option: return "option";
    case ScriptedPrompter::Kind::OpenFile: return "open file";
    case ScriptedPrompter::Kind::SaveFile: return "save file";
    }
    return "?";
}

} // namespace

ScriptedPrompter::ScriptedPrompter()
{
    Prompter::install(this);
}

ScriptedPrompter::~ScriptedPrompter()
{
    Prompter::install(nullptr);
    if (!m_queue.isEmpty()) {
        const QByteArray why = QByteArray("scripted answer never asked for: ") + kindName(m_queue.first().kind);
        QTest::qFail(why.constData(), __FILE__, __LINE__);
    }
}

ScriptedPrompter &ScriptedPrompter::acknowledge()
{
    m_queue << Answer{Kind::Message};
    return *this;
}

ScriptedPrompter &ScriptedPrompter::answerYes()
{
    m_queue << Answer{Kind::Question, true};
    return *this;
}

ScriptedPrompter &ScriptedPrompter::answerNo()
{
    m_queue << Answer{Kind::Question, false};
    return *this;
}

ScriptedPrompter &ScriptedPrompter::answerText(const QString &value)
{
    m_queue << Answer{Kind::Input, true, value};
    return *this;
}

ScriptedPrompter &ScriptedPrompter::cancelInput()
{
    m_queue << Answer{Kind::Input, false};
    return *this;
}

ScriptedPrompter &ScriptedPrompter::answerOption(int index)
{
    m_queue << Answer{Kind::Option, index >= 0, QString(), index};
    return *this;
}

ScriptedPrompter &ScriptedPrompter::answerFile(const QString &path, Kind kind)
{
    m_queue << Answer{kind, !path.isEmpty(), path};
    return *this;
}

bool ScriptedPrompter::take(Kind kind, const QString &what, Answer *answer)
{
    if (m_queue.isEmpty() || m_queue.first().kind != kind) {
        const QByteArray why = QByteArray("unexpected ") + kindName(kind) + ": " + what.toUtf8()
                               + (m_queue.isEmpty() ? QByteArray(" (no answer queued)")
                                                    : QByteArray(" (next answer is for a ") + kindName(m_queue.first().kind) + ")");
        QTest::qFail(why.constData(), __FILE__, __LINE__);
        m_failed = true;
        return false;
    }
    *answer = m_queue.takeFirst();
    return true;
}

void ScriptedPrompter::message(const QString &text, const QString &caption, Icon icon)
{
    asked << Asked{Kind::Message, text, caption, icon};
    Answer answer;
    take(Kind::Message, text, &answer);
}

bool ScriptedPrompter::question(const QString &text, const QString &caption)
{
    asked << Asked{Kind::Question, text, caption, Icon::Question};
    Answer answer;
    return take(Kind::Question, text, &answer) && answer.accept;
}

bool ScriptedPrompter::inputText(const QString &prompt, QString &value, int mode, bool masked, QWidget *)
{
    asked << Asked{Kind::Input, prompt, QString(), Icon::None, mode, masked};
    Answer answer;
    if (!take(Kind::Input, prompt, &answer) || !answer.accept)
        return false;
    value = answer.text;
    return true;
}

bool ScriptedPrompter::selectOption(const QString &prompt, const QStringList &items, int &index)
{
    asked << Asked{Kind::Option, prompt, QString(), Icon::None, 0, false, items};
    Answer answer;
    const bool ok = take(Kind::Option, prompt, &answer) && answer.accept;
    index = ok ? answer.index : -1;
    return ok;
}

QString ScriptedPrompter::openFileName(const QString &caption, const QString &, const QString &)
{
    asked << Asked{Kind::OpenFile, caption};
    Answer answer;
    return take(Kind::OpenFile, caption, &answer) ? answer.text : QString();
}

QString ScriptedPrompter::saveFileName(const QString &caption, const QString &, const QString &)
{
    asked << Asked{Kind::SaveFile, caption};
    Answer answer;
    return take(Kind::SaveFile, caption, &answer) ? answer.text : QString();
}
