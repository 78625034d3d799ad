#include "core/settings.h"

#include <QSettings>

namespace {

enum class Kind { Text, Integer, Flag };

struct Descriptor {
    Setting setting;
    bool general;
    const char *name;
    Kind kind;
    int defaultValue;
};

constexpr Descriptor kDescriptors[] = {
    {Setting::UnitName, true, "UnitName", Kind::Text, 0},
    {Setting::BCJL, true, "BCJL", Kind::Flag, 1},
    {Setting::DZCF, true, "DZCF", Kind::Flag, 1},
    {Setting::JCJL, true, "JCJL", Kind::Flag, 1},
    {Setting::FZJC, true, "FZJC", Kind::Flag, 1},
    {Setting::SystemLockMinute, true, "SystemLockMinute", Kind::Integer, 10},
    {Setting::HintDeleteData, true, "HintDeleteData", Kind::Flag, 1},
    {Setting::SaveHintCloseCase, true, "SaveHintCloseCase", Kind::Flag, 1},
    {Setting::DisplayOpenButtonOnCaseDlg, true, "DisplayOpenButtonOnCaseDlg", Kind::Flag, 1},
    {Setting::DisplaySearchButtonOnCaseDlg, true, "DisplaySearchButtonOnCaseDlg", Kind::Flag, 1},
    {Setting::DisplayYXWSButtonOnCaseDlg, true, "DisplayYXWSButtonOnCaseDlg", Kind::Flag, 1},
    {Setting::DisplayStudyButtonOnCaseDlg, true, "DisplayStudyButtonOnCaseDlg", Kind::Flag, 1},
    {Setting::FlagImageFileName, true, "FlagImageFileName", Kind::Text, 0},
    {Setting::ExternPictureViewer, true, "ExternPictureViewer", Kind::Text, 0},
    {Setting::BackMidiMusic, true, "BackMidiMusic", Kind::Text, 0},
    {Setting::Top, false, "Top", Kind::Integer, 10},
    {Setting::Left, false, "Left", Kind::Integer, 10},
    {Setting::Right, false, "Right", Kind::Integer, 10},
    {Setting::Bottom, false, "Bottom", Kind::Integer, 10},
    {Setting::MainTitleFontSize, false, "MainTitleFontSize", Kind::Integer, 12},
    {Setting::MainTitleFontColor, false, "MainTitleFontColor", Kind::Integer, 255},
    {Setting::FixedFontSize, false, "FixedFontSize", Kind::Integer, 12},
    {Setting::FixedFontColor, false, "FixedFontColor", Kind::Integer, 0},
    {Setting::RecipeHead_PatientID, false, "RecipeHead_PatientID", Kind::Flag, 1},
    {Setting::RecipeHead_Address, false, "RecipeHead_Address", Kind::Flag, 1},
    {Setting::RecipeHead_Telephone, false, "RecipeHead_Telephone", Kind::Flag, 1},
    {Setting::RecipePrintYZ, false, "RecipePrintYZ", Kind::Flag, 1},
    {Setting::RecipePrintYF, false, "RecipePrintYF", Kind::Flag, 1},
};

const Descriptor &descriptor(Setting setting)
{
    for (const Descriptor &d : kDescriptors) {
        if (d.setting == setting)
            return d;
    }
    Q_UNREACHABLE();
}

QString key(const QString &section, const QString &name)
{
    return section + QLatin1Char('/') + name;
}

} // namespace

namespace Settings {

QString readText(const QString &section, const QString &name, const QString &defaultValue)
{
    QSettings store(QStringLiteral("Corvane Software"), QStringLiteral("Halvern"));
    const QVariant value = store.value(key(section, name));
    return value.isValid() ? value.toString() : defaultValue;
}

int readInt(const QString &section, const QString &name, int defaultValue)
{
    QSettings store(QStringLiteral("Corvane Software"), QStringLiteral("Halvern"));
    const QVariant value = store.value(key(section, name));
    if (!value.isValid())
        return defaultValue;
    bool ok = false;
    const int number = value.toString().trimmed().toInt(&ok, 10);
    return ok ? number : defaultValue;
}

void writeText(const QString &section, const QString &name, const QString &value)
{
    QSettings store(QStringLiteral("Corvane Software"), QStringLiteral("Halvern"));
    store.setValue(key(section, name), value);
}

void writeInt(const QString &section, const QString &name, int value)
{
    writeText(section, name, QString::number(value));
}

QString sectionOf(Setting setting)
{
    return descriptor(setting).general ? kGeneralSection : kPrintSection;
}

QString nameOf(Setting setting)
{
    return QString::fromLatin1(descriptor(setting).name);
}

int defaultInt(Setting setting)
{
    return descriptor(setting).defaultValue;
}

QString text(Setting setting)
{
    return text(setting, setting == Setting::UnitName ? kClinicUnitName : QString());
}

QString text(Setting setting, const QString &defaultValue)
{
    return readText(sectionOf(setting), nameOf(setting), defaultValue);
}

int integer(Setting setting)
{
    return readInt(sectionOf(setting), nameOf(setting), defaultInt(setting));
}

bool flag(Setting setting)
{
    const int value = integer(setting);
    if (setting == Setting::SaveHintCloseCase)
        return value != 0;
    return value == 1;
}

void setText(Setting setting, const QString &value)
{
    writeText(sectionOf(setting), nameOf(setting), value);
}

void setInteger(Setting setting, int value)
{
    writeInt(sectionOf(setting), nameOf(setting), value);
}

void setFlag(Setting setting, bool on)
{
    setInteger(setting, on ? 1 : 0);
}

} // namespace Settings
