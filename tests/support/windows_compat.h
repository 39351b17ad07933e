#pragma once

// Included ahead of every test source in the Windows build: the few POSIX
// calls the tests use, made of their Windows counterparts.
#ifdef _WIN32

#include <cstdlib>

inline int setenv(const char* name, const char* value, int overwrite)
{
    if (overwrite == 0 && std::getenv(name) != nullptr) {
        return 0;
    }
    return _putenv_s(name, value);
}

inline int unsetenv(const char* name)
{
    return _putenv_s(name, "");
}

// Windows has no all-powerful user id; a read-only file refuses writes to
// everyone, so the tests that need an ordinary user always run.
inline unsigned geteuid()
{
    return 1000;
}

#endif
