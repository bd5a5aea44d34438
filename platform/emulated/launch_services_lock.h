#pragma once

#include "../file_lock.h"

namespace tessik::platform {

// Held while Launch Services reads, changes and saves one of its files, so that processes writing at once
// never drop each other's changes (a real Mac has one daemon doing this).
class LaunchServicesLock
{
public:
    LaunchServicesLock();
    ~LaunchServicesLock() = default;
    LaunchServicesLock(const LaunchServicesLock&) = delete;
    LaunchServicesLock& operator=(const LaunchServicesLock&) = delete;

    // False when the lock could not be had in time; the caller must then leave the files alone.
    bool isLocked() const { return m_file.isLocked(); }

private:
    FileLock m_file;
};

} // namespace tessik::platform
