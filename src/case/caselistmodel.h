#pragma once

#include "case/casestore.h"

#include <QAbstractTableModel>
#include <QHash>
#include <functional>

// Rows of the case list or of the case search, read page by page as the view
// scrolls, so that a long list opens at once.
class CaseListModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    enum Column { PatientID, Name, PinYin, Sex, Age, Address, Diagnose, InHospital, Sealer, Section, ColumnCount,
                  LastAccess = ColumnCount, Outed };
    // The case list's columns, or the case search's.
    enum class Layout { List, Search };

    explicit CaseListModel(const QSqlDatabase &db, Layout layout = Layout::List, QObject *parent = nullptr);

    // Shows the cases of `filter` from the start.
    void setFilter(const CaseFilter &filter);
    // Shows the results of a case search from the start.
    void setSearch(CaseStore::SearchKind kind, const QString &text);
    // Which column of the model shows `column`, -1 when this layout has none.
    int columnOf(Column column) const { return int(m_columns.indexOf(column)); }
    const CaseListRow *row(int index) const;

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    bool canFetchMore(const QModelIndex &parent) const override;
    void fetchMore(const QModelIndex &parent) override;

    static constexpr int kPage = 200;

private:
    void restart(std::function<QList<CaseListRow>(int, int)> fetch);
    QString sectionName(int sectionSN) const;
    QString sealerName(const CaseListRow &row) const;

    CaseStore m_store;
    QList<Column> m_columns;
    std::function<QList<CaseListRow>(int offset, int limit)> m_fetch;
    QList<CaseListRow> m_rows;
    bool m_atEnd = true;
    mutable QHash<int, QString> m_sections;
    mutable QHash<int, QString> m_users;
};
