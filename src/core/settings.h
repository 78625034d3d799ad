#pragma once

#include <QString>

// Per-workstation settings: QSettings("Corvane Software", "Halvern"), which is
// the registry key "Software\Corvane Software\Halvern" on Windows. Every value
// is written as a string; a missing value, or a text that is no integer where
// an integer is expected, reads as the default. Nothing is cached: each read
// opens the store anew, so a change made by the options screen shows at once.
enum class Setting {
    // "综合选项"
    UnitName,
    BCJL,
    DZCF,
    JCJL,
    FZJC,
    SystemLockMinute,
    HintDeleteData,
    SaveHintCloseCase,
    DisplayOpenButtonOnCaseDlg,
    DisplaySearchButtonOnCaseDlg,
    DisplayYXWSButtonOnCaseDlg,
    DisplayStudyButtonOnCaseDlg,
    FlagImageFileName,
    ExternPictureViewer,
    BackMidiMusic,
    // "打印设置"
    Top,
    Left,
    Right,
    Bottom,
    MainTitleFontSize,
    MainTitleFontColor,
    FixedFontSize,
    FixedFontColor,
    RecipeHead_PatientID,
    RecipeHead_Address,
    RecipeHead_Telephone,
    RecipePrintYZ,
    RecipePrintYF,
};

namespace Settings {

inline const QString kGeneralSection = QStringLiteral("综合选项");
inline const QString kPrintSection = QStringLiteral("打印设置");

// The unit name most screens print; the progress notes, the fee statement and
// the status bar fall back to kHospitalUnitName instead.
inline const QString kClinicUnitName = QStringLiteral("澄岭市某诊所");
inline const QString kHospitalUnitName = QStringLiteral("澄岭市某医院");

// The INI-style primitives.
QString readText(const QString &section, const QString &name, const QString &defaultValue);
int readInt(const QString &section, const QString &name, int defaultValue);
void writeText(const QString &section, const QString &name, const QString &value);
void writeInt(const QString &section, const QString &name, int value);

// Typed access by setting.
QString sectionOf(Setting setting);
QString nameOf(Setting setting);
int defaultInt(Setting setting);

QString text(Setting setting);                               // text settings
QString text(Setting setting, const QString &defaultValue);  // with a caller's default
int integer(Setting setting);
// Only 1 counts as on; SaveHintCloseCase is on for every value but 0.
bool flag(Setting setting);

void setText(Setting setting, const QString &value);
void setInteger(Setting setting, int value);
void setFlag(Setting setting, bool on);

} // namespace Settings
