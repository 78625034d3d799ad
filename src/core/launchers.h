#pragma once

#include "core/usersecurity.h"

#include <QString>

class TCaseObject;

// Launchers of other screens' dialogs: each shows its dialog modally and
// returns the modal result, 1 (OK) or 2 (cancel). A screen that has not been
// built yet answers cancel.

// Case list (Tm_CaseListDlg); `caseNumber` is -1 unless a case is chosen. `section` -1 lists all.
int SelectCase(const CUserSecurityData &user, const QString &prompt, quint8 discharged, int section, int &caseNumber);
// Login; true when an operator logged in.
bool ShowLoginDialog(CUserSecurityData &user);
int SelectFormula(const QString &prompt, int &formulaSN, QString &formulaName);
// An empty prompt opens the maintenance of the herb categories.
int SelectHerbType(const QString &prompt, int &typeSN, QString &typeName);
// `caseNumber` -1 lists the prescriptions of every case.
int SelectRecipe(const QString &prompt, int &recipeSN, int caseNumber);
// Medical certificates (Tm_MedicalNote) for a case, or without one (nullptr); mode 0 writes new ones.
int ShowMedicalNote(TCaseObject *caseObject, int mode, const CUserSecurityData &user);
// The medical knowledge advisor (Tm_StudyCampus).
int ShowStudyCampus();
