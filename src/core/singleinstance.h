#pragma once

#include <QString>
#include <memory>

class QLockFile;

// One running copy of the program per workstation: a lock file named from the
// application title. A copy that cannot take it must end without touching the
// database. The lock goes with the object (and with a crashed process).
class SingleInstance
{
public:
    explicit SingleInstance(const QString &title);
    ~SingleInstance();

    // True when this is the only running copy.
    bool acquire();
    QString lockPath() const { return m_path; }

private:
    QString m_path;
    std::unique_ptr<QLockFile> m_lock;
};
