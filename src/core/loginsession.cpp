#include "core/loginsession.h"

#include "core/casedatamodule.h"
#include "core/launchers.h"
#include "core/loginstore.h"
#include "core/password.h"
#include "core/prompter.h"

#include <QElapsedTimer>

namespace {

qint64 monotonicMs()
{
    static QElapsedTimer timer;
    if (!timer.isValid())
        timer.start();
    return timer.elapsed();
}

Tm_CaseDataModule *dataModule()
{
    return Tm_CaseDataModule::instance();
}

} // namespace

LoginSession::LoginSession(QObject *parent) : QObject(parent), m_clock(monotonicMs)
{
    clearUser();
    m_lastInput = m_clock();
}

void LoginSession::clearUser()
{
    m_user = CUserSecurityData();
    m_user.UserSN = 0;
    m_user.SectionSN = -1;
}

bool LoginSession::LoginAgain()
{
    if (m_skipLogoutQuestion) {
        m_skipLogoutQuestion = false;
    } else {
        const QString question = QStringLiteral("这将注销当前用户 <") + m_user.UserName
                                 + QStringLiteral("> 的本次登陆操作!\n\n确认吗?");
        if (!Prompter::instance().question(question, QStringLiteral("注销...")))
            return true;
        if (dataModule())
            dataModule()->WriteLoginoutRecord(&m_user, 0);
    }

    m_suspended = true;
    clearUser();
    emit operatorChanged();

    CUserSecurityData fresh;
    if (!ShowLoginDialog(fresh))
        return false;
    m_user = fresh;
    emit operatorChanged();
    m_suspended = false;
    m_lastInput = m_clock();
    if (dataModule())
        dataModule()->WriteLoginoutRecord(&m_user, 1);
    return true;
}

void LoginSession::ChangeLoginPwd()
{
    Prompter &prompter = Prompter::instance();
    QString old;
    if (InputText(QStringLiteral("请输入旧的密码:"), old, 0, true) != 1)
        return;
    if (!Password::Matches(m_user.Password, old)) {
        prompter.message(QStringLiteral("旧密码输入不正确,你不能设置新密码!"), QStringLiteral("提示"), Prompter::Icon::Error);
        return;
    }
    QString first, second;
    if (InputText(QStringLiteral("请输入将要设置的新密码:"), first, 0, true) != 1)
        return;
    if (InputText(QStringLiteral("请再次输入新密码:"), second, 0, true) != 1)
        return;
    if (first != second) {
        prompter.message(QStringLiteral("两次输入的新密码不一致,密码修改失败!\n旧的密码仍然有效!"), QStringLiteral("失败..."),
                         Prompter::Icon::Error);
        return;
    }
    // The login edit takes 20 characters and the stored password loses its
    // trailing blanks: a password outside that could never be typed back.
    if (!Password::IsAcceptable(first)) {
        prompter.message(QStringLiteral("新密码须为1到20个字符,且首尾不能是空格,密码修改失败!\n旧的密码仍然有效!"),
                         QStringLiteral("失败..."), Prompter::Icon::Error);
        return;
    }
    QString hash;
    if (dataModule() && LoginStore(dataModule()->mainDb()).setPassword(m_user.UserSN, first, &hash)) {
        m_user.Password = hash; // the old password unlocks no more
        prompter.message(QStringLiteral("密码修改成功,下次登陆请用新的密码!"), QStringLiteral("提示"),
                         Prompter::Icon::Information);
    } else {
        prompter.message(QStringLiteral("密码修改失败,旧密码仍然有效!"), QStringLiteral("提示"), Prompter::Icon::Error);
    }
}

void LoginSession::LockSystem()
{
    if (m_suspended) // already locked, or a login is under way
        return;
    m_suspended = true;
    emit suspendedChanged(true);
    const QString prompt = QStringLiteral("系统已被锁定,输入") + m_user.UserName + QStringLiteral("的密码解除锁定");
    for (;;) {
        QString typed;
        InputText(prompt, typed, 0, true);
        if (Password::Matches(m_user.Password, typed.trimmed()))
            break;
        if (!Prompter::instance().stillAnswering())
            break;
    }
    m_suspended = false;
    m_lastInput = m_clock();
    emit suspendedChanged(false);
}

void LoginSession::Logout()
{
    if (m_user.UserSN > 0 && dataModule())
        dataModule()->WriteLoginoutRecord(&m_user, 0);
}

void LoginSession::NoteInput()
{
    if (!m_suspended)
        m_lastInput = m_clock();
}

void LoginSession::setLockMinutes(int minutes)
{
    m_lockMinutes = minutes >= 1 && minutes <= 1440 ? minutes : 10;
}

qint64 LoginSession::remainingMs() const
{
    const qint64 limit = qint64(m_lockMinutes) * 60000;
    const qint64 elapsed = m_clock() - m_lastInput;
    return elapsed >= limit ? 0 : limit - qMax<qint64>(0, elapsed);
}

QString LoginSession::countdownText() const
{
    const qint64 left = remainingMs();
    return QStringLiteral("锁定倒计时:%1分%2秒").arg(left / 60000).arg((left / 1000) % 60);
}

void LoginSession::setClock(std::function<qint64()> clock)
{
    m_clock = clock ? std::move(clock) : std::function<qint64()>(monotonicMs);
    m_lastInput = m_clock();
}

void LoginSession::adoptUser(const CUserSecurityData &user)
{
    m_user = user;
    m_skipLogoutQuestion = false;
    m_suspended = false;
    m_lastInput = m_clock();
    emit operatorChanged();
}

QString LoginSession::HashPassword(const QString &password)
{
    return Password::Hash(password);
}

bool LoginSession::VerifyAdministrator(const QString &name, const QString &password)
{
    return dataModule() && LoginStore(dataModule()->mainDb()).isAdministrator(name, password);
}
