#pragma once

#include <QLockFile>
#include <QString>
#include <memory>

// The one-running-copy rule. A lock left by a copy that died is stale and
// taken over, so a crash never blocks the next start.
class SingleInstance
{
public:
    explicit SingleInstance(const QString &lockPath);
    bool anotherCopyRuns() const { return !m_held; }
    static QString defaultLockPath();

private:
    std::unique_ptr<QLockFile> m_lock;
    bool m_held = false;
};

class Form1;

// Shows the window when it is the only copy; otherwise tells the user through
// the window's dialogs and returns false, and the caller ends.
bool showAsSingleCopy(Form1 &window, const SingleInstance &single);
