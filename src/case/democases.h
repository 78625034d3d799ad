#pragma once

#include <QString>

// Patients of the demo database: about thirty inpatients in two departments
// (and a few discharged ones), with particulars varied enough for the case
// list, the search and the case window to have something to show.
namespace DemoCases {

// Adds them to the data module's database when it holds no case yet; the
// department "内科" of the demo administrator and a "外科" are used. False on failure.
bool Ensure(QString *error);

// The Wubi code of a name as the admission desk types it: the first key of
// each character's code, for the characters the demo names use; empty when a
// character is not among them.
QString WuBiInitials(const QString &name);

} // namespace DemoCases
