#include "PlantedLinks.h"

#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace tessel::test {

namespace {

constexpr const char* ProtectedSymlinks = "/proc/sys/fs/protected_symlinks";
constexpr const char* SettingLock = "/run/lock/tessel-protected-symlinks.lock";
constexpr uid_t Nobody = 65534;

std::string ReadSetting()
{
    std::ifstream in(ProtectedSymlinks);
    std::string value;
    in >> value;
    return value;
}

bool WriteSetting(const std::string& value)
{
    std::ofstream out(ProtectedSymlinks);
    out << value << '\n';
    out.close();
    return !out.fail() && ReadSetting() == value;
}

}  // namespace

PlantedLinks::PlantedLinks(const std::string& folder)
{
    if (::geteuid() != 0) {
        why_ = "needs root, to plant links owned by another user";
        return;
    }
    lock_ = ::open(SettingLock, O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (lock_ < 0 || ::flock(lock_, LOCK_EX) != 0) {
        why_ = std::string("cannot lock ") + SettingLock;
        return;
    }
    const std::string setting = ReadSetting();
    if (setting.empty()) {
        why_ = std::string("cannot read ") + ProtectedSymlinks;
        return;
    }
    if (setting == "0") {
        if (!WriteSetting("1")) {
            WriteSetting(setting);
            why_ = std::string("fs.protected_symlinks is 0 and cannot be switched on through ") + ProtectedSymlinks;
            return;
        }
        previous_ = setting;
    }
    if (!Share(folder))
        why_ = "cannot make " + folder + " sticky and world-writable";
}

PlantedLinks::~PlantedLinks()
{
    if (!previous_.empty())
        WriteSetting(previous_);
    if (lock_ >= 0)
        ::close(lock_);  // and so unlocks
}

bool PlantedLinks::Share(const std::string& folder) const { return ::chmod(folder.c_str(), 01777) == 0; }

void PlantedLinks::Plant(const std::string& path, const std::string& target) const
{
    fs::create_symlink(target, path);
    if (::lchown(path.c_str(), Nobody, Nobody) != 0)
        throw std::runtime_error("cannot give " + path + " to the user nobody");
}

}  // namespace tessel::test
