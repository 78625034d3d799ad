#pragma once

#include <QByteArray>
#include <QSqlDatabase>
#include <QString>

// The statements behind the data module's shared services: serial numbers,
// user and department names, user photographs, usage templates.
class CoreStore
{
public:
    explicit CoreStore(const QSqlDatabase &db) : m_db(db) {}

    // Serial kinds 0..8; the column each kind counts in ZYBL_NextSNTable.
    static constexpr int kSerialKinds = 9;
    static const char *serialColumn(int kind);

    // The next number of a kind, drawn in one atomic statement so that
    // workstations drawing at once never share a number; -1 on failure or for
    // an unknown kind.
    int nextSN(int kind);

    // UserName without trailing blanks; empty when there is no such user.
    QString userName(int userSN);
    // SectionName without surrounding blanks; empty when there is none.
    QString sectionName(int sectionSN);

    // The key of the department of that name, added when there is none; -1 on failure.
    int ensureSection(const QString &name);

    enum class Found { No, Yes, Error };
    // The stored photograph of a user (possibly empty bytes).
    Found userPicture(int userSN, QByteArray *bytes);

    // Appends a template; false without writing when the trimmed name is empty.
    bool addUsageTemplate(const QString &name, const QString &usage, const QString &advice);
    // Deletes the template with that key if there is one; failures are swallowed.
    void deleteUsageTemplate(int recordSN);

private:
    QSqlDatabase m_db;
};
