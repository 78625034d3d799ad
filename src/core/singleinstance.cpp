#include "core/singleinstance.h"

#include <QDir>
#include <QLockFile>

SingleInstance::SingleInstance(const QString &title)
    : m_path(QDir(QDir::tempPath()).filePath(title + QStringLiteral(".lock")))
{
}

SingleInstance::~SingleInstance() = default;

bool SingleInstance::acquire()
{
    if (m_lock && m_lock->isLocked())
        return true;
    m_lock = std::make_unique<QLockFile>(m_path);
    m_lock->setStaleLockTime(0); // only a dead owner makes the lock stale
    return m_lock->tryLock(0);
}
