#pragma once

#include "case/casestore.h"

#include <QAbstractTableModel>
#include <QHash>

// The case list's rows, read page by page as the view scrolls, so that a
// long list opens at once.
class CaseListModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    enum Column { PatientID, Name, PinYin, Sex, Age, Address, Diagnose, InHospital, Sealer, Section, ColumnCount };

    explicit CaseListModel(const QSqlDatabase &db, QObject *parent = nullptr);

    // Shows the cases of `filter` from the start.
    void setFilter(const CaseFilter &filter);
    const CaseListRow *row(int index) const;

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    bool canFetchMore(const QModelIndex &parent) const override;
    void fetchMore(const QModelIndex &parent) override;

    static constexpr int kPage = 200;

private:
    QString sectionName(int sectionSN) const;
    QString sealerName(const CaseListRow &row) const;

    CaseStore m_store;
    CaseFilter m_filter;
    QList<CaseListRow> m_rows;
    bool m_atEnd = true;
    mutable QHash<int, QString> m_sections;
    mutable QHash<int, QString> m_users;
};
