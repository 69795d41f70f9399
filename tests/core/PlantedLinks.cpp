#include "PlantedLinks.h"

#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace tessel::test {

namespace {

constexpr const char* ProtectedSymlinks = "/proc/sys/fs/protected_symlinks";
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

PlantedLinks::PlantedLinks(std::string folder) : folder_(std::move(folder))
{
    if (::geteuid() != 0) {
        why_ = "needs root, to plant links owned by another user";
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
    if (::chmod(folder_.c_str(), 01777) != 0)
        why_ = "cannot make " + folder_ + " sticky and world-writable";
}

PlantedLinks::~PlantedLinks()
{
    if (!previous_.empty())
        WriteSetting(previous_);
}

std::string PlantedLinks::Plant(const std::string& name, const std::string& target) const
{
    const std::string link = (fs::path(folder_) / name).string();
    fs::create_symlink(target, link);
    if (::lchown(link.c_str(), Nobody, Nobody) != 0)
        throw std::runtime_error("cannot give " + link + " to the user nobody");
    return link;
}

}  // namespace tessel::test
