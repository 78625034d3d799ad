#include "core/logindlg.h"

#include "core/casedatamodule.h"
#include "core/imagelists.h"
#include "core/loginstore.h"
#include "core/prompter.h"

#include <QComboBox>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QProxyStyle>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

QString g_demoHint;

// The password edit shows '#' for every typed character.
class HashMarkStyle : public QProxyStyle
{
public:
    int styleHint(StyleHint hint, const QStyleOption *option, const QWidget *widget,
                  QStyleHintReturn *returnData) const override
    {
        if (hint == SH_LineEdit_PasswordCharacter)
            return '#';
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }
};

} // namespace

void TLoginDlg::setDemoHint(const QString &hint)
{
    g_demoHint = hint;
}

TLoginDlg::TLoginDlg(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("TLoginDlg"));
    setWindowTitle(QStringLiteral("系统登陆"));

    auto *heading = new QLabel(QStringLiteral("登陆住院病历系统"), this);
    heading->setObjectName(QStringLiteral("m_Label_Heading"));
    QFont headingFont = heading->font();
    headingFont.setPointSize(headingFont.pointSize() + 6);
    headingFont.setBold(true);
    heading->setFont(headingFont);
    auto *family = new QLabel(QStringLiteral("青岚舟家族"), this);
    family->setObjectName(QStringLiteral("m_Label_Family"));
    family->setStyleSheet(QStringLiteral("color: #2a5d8f;"));

    m_Image_UserPicture = new QLabel(this);
    m_Image_UserPicture->setObjectName(QStringLiteral("m_Image_UserPicture"));
    m_Image_UserPicture->setToolTip(QStringLiteral("当前登陆人员的照片"));
    m_Image_UserPicture->setFixedSize(96, 120);
    m_Image_UserPicture->setFrameShape(QFrame::StyledPanel);
    m_Image_UserPicture->setAlignment(Qt::AlignCenter);

    m_ComboBoxEx_User = new QComboBox(this);
    m_ComboBoxEx_User->setObjectName(QStringLiteral("m_ComboBoxEx_User"));
    m_ComboBoxEx_User->setToolTip(QStringLiteral("选择一名登陆系统的操作员"));
    m_ComboBoxEx_User->setMinimumWidth(200);
    auto *userLabel = new QLabel(QStringLiteral("医师名称(&D):"), this);
    userLabel->setBuddy(m_ComboBoxEx_User);

    m_PassWord = new QLineEdit(this);
    m_PassWord->setObjectName(QStringLiteral("m_PassWord"));
    m_PassWord->setToolTip(QStringLiteral("输入登陆密码"));
    m_PassWord->setMaxLength(20);
    m_PassWord->setEchoMode(QLineEdit::Password);
    auto *markStyle = new HashMarkStyle;
    markStyle->setParent(m_PassWord);
    m_PassWord->setStyle(markStyle);
    auto *passwordLabel = new QLabel(QStringLiteral("登陆密码(&P):"), this);
    passwordLabel->setBuddy(m_PassWord);

    m_Label_Demo = new QLabel(g_demoHint, this);
    m_Label_Demo->setObjectName(QStringLiteral("m_Label_Demo"));
    m_Label_Demo->setStyleSheet(QStringLiteral("color: #b00000;"));
    m_Label_Demo->setVisible(!g_demoHint.isEmpty());

    m_XP_Button_Ok = new QPushButton(QStringLiteral("登陆(&O)"), this);
    m_XP_Button_Ok->setObjectName(QStringLiteral("m_XP_Button_Ok"));
    m_XP_Button_Exit = new QPushButton(QStringLiteral("退出(&X)"), this);
    m_XP_Button_Exit->setObjectName(QStringLiteral("m_XP_Button_Exit"));
    // Enter is handled per field, not by a default button.
    m_XP_Button_Ok->setAutoDefault(false);
    m_XP_Button_Exit->setAutoDefault(false);
    connect(m_XP_Button_Ok, &QPushButton::clicked, this, &TLoginDlg::m_XP_Button_OkClick);
    connect(m_XP_Button_Exit, &QPushButton::clicked, this, &QDialog::reject);

    auto *fields = new QGridLayout;
    fields->addWidget(userLabel, 0, 0);
    fields->addWidget(m_ComboBoxEx_User, 0, 1);
    fields->addWidget(passwordLabel, 1, 0);
    fields->addWidget(m_PassWord, 1, 1);
    fields->setRowStretch(2, 1);

    auto *middle = new QHBoxLayout;
    middle->addWidget(m_Image_UserPicture);
    middle->addSpacing(12);
    middle->addLayout(fields, 1);

    auto *buttons = new QHBoxLayout;
    buttons->addWidget(family);
    buttons->addStretch();
    buttons->addWidget(m_XP_Button_Ok);
    buttons->addWidget(m_XP_Button_Exit);

    auto *line = new QFrame(this);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(heading);
    layout->addWidget(line);
    layout->addLayout(middle);
    layout->addWidget(m_Label_Demo);
    layout->addLayout(buttons);

    m_ComboBoxEx_User->installEventFilter(this);
    m_PassWord->installEventFilter(this);

    if (Tm_CaseDataModule *dm = Tm_CaseDataModule::instance()) {
        const QIcon icon(ImageLists::Operator());
        for (const LoginStore::Candidate &c : LoginStore(dm->mainDb()).moduleOperators())
            m_ComboBoxEx_User->addItem(icon, c.name + QStringLiteral("(%1)").arg(c.userSN), c.userSN);
    }
    connect(m_ComboBoxEx_User, &QComboBox::currentIndexChanged, this, &TLoginDlg::showPicture);
    if (m_ComboBoxEx_User->count() > 0)
        m_ComboBoxEx_User->setCurrentIndex(0);
    showPicture();
    m_PassWord->setFocus();
}

bool TLoginDlg::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            if (watched == m_ComboBoxEx_User) {
                m_PassWord->setFocus();
                return true;
            }
            if (watched == m_PassWord) {
                m_XP_Button_OkClick();
                return true;
            }
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TLoginDlg::showPicture()
{
    QImage picture;
    Tm_CaseDataModule *dm = Tm_CaseDataModule::instance();
    const QVariant key = m_ComboBoxEx_User->currentData();
    if (dm && key.isValid() && dm->LoadUserPicture(key.toString(), &picture) && !picture.isNull())
        m_Image_UserPicture->setPixmap(QPixmap::fromImage(picture).scaled(m_Image_UserPicture->size() - QSize(4, 4),
                                                                          Qt::KeepAspectRatio, Qt::SmoothTransformation));
    else
        m_Image_UserPicture->clear();
}

void TLoginDlg::m_XP_Button_OkClick()
{
    if (m_ComboBoxEx_User->currentIndex() < 0) {
        Prompter::instance().message(QStringLiteral("请先选择一名医师"), QStringLiteral("提示"), Prompter::Icon::Information);
        return;
    }
    CUserSecurityData user;
    const int userSN = m_ComboBoxEx_User->currentData().toInt();
    Tm_CaseDataModule *dm = Tm_CaseDataModule::instance();
    const LoginStore::Check check = dm ? LoginStore(dm->mainDb()).checkLogin(userSN, m_PassWord->text(), &user)
                                       : LoginStore::Check::Error;
    if (check == LoginStore::Check::Ok) {
        m_user = user;
        accept();
        return;
    }
    if (check == LoginStore::Check::Error)
        Prompter::instance().message(QStringLiteral("无法读取操作员资料,请检查数据库连接!"), QStringLiteral("错误..."),
                                     Prompter::Icon::Error);
    else
        Prompter::instance().message(QStringLiteral("密码不正确,登陆失败!"), QStringLiteral("提示"), Prompter::Icon::Error);
    m_PassWord->setFocus();
    m_PassWord->selectAll();
}
