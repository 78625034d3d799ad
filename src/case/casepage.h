#pragma once

#include "core/usersecurity.h"

#include <QFrame>

class QLabel;
class QVBoxLayout;
class TCaseObject;

// One page of the case window. The window attaches every page to its case
// object once the case is open, tells the pages that care when they become
// visible or hidden, asks the visible one to print, and lets the front page
// copy its controls into the case object before saving.
class TCasePage : public QFrame
{
    Q_OBJECT

public:
    // `readRight` is the right an operator needs to see (and print) the page.
    TCasePage(const QString &caption, quint32 readRight, QWidget *parent = nullptr);

    QString caption() const { return m_caption; }
    quint32 readRight() const { return m_readRight; }

    // The case object stays the window's and lives as long as the window.
    virtual void AttachCase(TCaseObject &caseObject, const CUserSecurityData &user);
    virtual void ActivatePage() {}
    virtual void DeactivatePage() {}
    // Prints what the page shows; false when printing failed.
    virtual bool PrintPage() { return true; }
    // Copies what the page edits into the case object (the front page).
    virtual void StoreToCase(TCaseObject &caseObject) { Q_UNUSED(caseObject) }

protected:
    TCaseObject *caseObject() const { return m_caseObject; }
    const CUserSecurityData &user() const { return m_user; }

    QLabel *m_Label_Caption;
    // The caption on top; a page adds its controls below it.
    QVBoxLayout *m_PageLayout;

private:
    QString m_caption;
    quint32 m_readRight;
    TCaseObject *m_caseObject = nullptr;
    CUserSecurityData m_user;
};
