#include "case/caselistmodel.h"

#include "case/caseobject.h"
#include "core/casedatamodule.h"
#include "core/fieldtext.h"
#include "core/oledate.h"

#include <QBrush>

CaseListModel::CaseListModel(const QSqlDatabase &db, Layout layout, QObject *parent)
    : QAbstractTableModel(parent), m_store(db)
{
    if (layout == Layout::List)
        m_columns = {PatientID, Name, PinYin, Sex, Age, Address, Diagnose, InHospital, Sealer, Section};
    else
        m_columns = {PatientID, Name, Sex, Address, Diagnose, LastAccess, Outed};
}

void CaseListModel::restart(std::function<QList<CaseListRow>(int, int)> fetch)
{
    beginResetModel();
    m_fetch = std::move(fetch);
    m_rows = m_fetch(0, kPage);
    m_atEnd = m_rows.size() < kPage;
    endResetModel();
}

void CaseListModel::setFilter(const CaseFilter &filter)
{
    restart([this, filter](int offset, int limit) { return m_store.ListCases(filter, offset, limit); });
}

void CaseListModel::setSearch(CaseStore::SearchKind kind, const QString &text)
{
    restart([this, kind, text](int offset, int limit) { return m_store.SearchCases(kind, text, offset, limit); });
}

const CaseListRow *CaseListModel::row(int index) const
{
    return index >= 0 && index < m_rows.size() ? &m_rows.at(index) : nullptr;
}

int CaseListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

int CaseListModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_columns.size());
}

bool CaseListModel::canFetchMore(const QModelIndex &parent) const
{
    return !parent.isValid() && !m_atEnd;
}

void CaseListModel::fetchMore(const QModelIndex &parent)
{
    if (parent.isValid() || m_atEnd)
        return;
    const QList<CaseListRow> more = m_fetch(int(m_rows.size()), kPage);
    m_atEnd = more.size() < kPage;
    if (more.isEmpty())
        return;
    beginInsertRows(QModelIndex(), int(m_rows.size()), int(m_rows.size() + more.size() - 1));
    m_rows += more;
    endInsertRows();
}

QString CaseListModel::sectionName(int sectionSN) const
{
    auto it = m_sections.constFind(sectionSN);
    if (it != m_sections.constEnd())
        return *it;
    Tm_CaseDataModule *dm = Tm_CaseDataModule::instance();
    return m_sections.insert(sectionSN, dm ? dm->GetSectionNameBySN(sectionSN) : QString()).value();
}

QString CaseListModel::sealerName(const CaseListRow &r) const
{
    if (!r.isLocked)
        return QStringLiteral("未封");
    auto it = m_users.constFind(r.lockOwnerSN);
    if (it != m_users.constEnd())
        return *it;
    Tm_CaseDataModule *dm = Tm_CaseDataModule::instance();
    // The administrator's key is no user: its name stays empty.
    return m_users.insert(r.lockOwnerSN, dm ? dm->GetUserNameBySN(r.lockOwnerSN) : QString()).value();
}

QVariant CaseListModel::data(const QModelIndex &index, int role) const
{
    const CaseListRow *r = row(index.row());
    if (!r || index.column() < 0 || index.column() >= m_columns.size())
        return QVariant();
    const Column column = m_columns.at(index.column());
    if (role == Qt::ForegroundRole && column == Sealer)
        return QBrush(r->isLocked ? Qt::red : Qt::black);
    if (role != Qt::DisplayRole)
        return QVariant();
    switch (column) {
    case PatientID: return r->patientID;
    case Name: return r->patientName;
    case PinYin: return r->pinYinName;
    case Sex: return r->patientSex;
    case Age: return r->birthday.isValid() ? TCaseObject::AgeText(OleDate::fromDateTime(r->birthday)) : QString();
    case Address: return r->address;
    case Diagnose: return r->mainDiagnose;
    case InHospital: return FieldText::Date(r->inHospitalDate);
    case Sealer: return sealerName(*r);
    case Section: return sectionName(r->sectionSN);
    case LastAccess: return FieldText::Date(r->lastAccessDate);
    case Outed: return r->hasOuted ? QStringLiteral("已出院") : QStringLiteral("在院");
    }
    return QVariant();
}

QVariant CaseListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    static const char *const titles[] = {
        "住院号码", "姓名", "拼音", "性别", "年龄", "联系地址", "主要诊断", "入院日期", "封存者", "所属科室",
        "最近使用日期", "是否出院",
    };
    if (section < 0 || section >= m_columns.size())
        return QVariant();
    return QString::fromUtf8(titles[m_columns.at(section)]);
}
