// What another user can leave in a shared folder such as /tmp: a sticky,
// world-writable folder holding symbolic links owned by the user "nobody".
// The system refuses to follow such links for anyone else only while
// fs.protected_symlinks is 1; this machine may keep it at 0, so the object
// switches it on for its own life (root only) and puts the old value back
// on every way out. The setting is the whole machine's: a lock file keeps
// test programs that run at the same time from switching it under each
// other, so there is one object at a time in a process. Tests skip with
// Why() when that cannot be done.
#pragma once

#include <string>

namespace tessel::test {

class PlantedLinks {
public:
    // folder: made shared, as Share does.
    explicit PlantedLinks(const std::string& folder);
    ~PlantedLinks();
    PlantedLinks(const PlantedLinks&) = delete;
    PlantedLinks& operator=(const PlantedLinks&) = delete;

    bool Active() const { return why_.empty(); }
    const std::string& Why() const { return why_; }

    // Makes folder sticky and world-writable; false when it cannot.
    bool Share(const std::string& folder) const;
    // Plants a link at path (in a shared folder) to target, owned by nobody.
    void Plant(const std::string& path, const std::string& target) const;

private:
    int lock_ = -1;
    std::string previous_;  // the setting before, to put back; empty when unchanged
    std::string why_;
};

}  // namespace tessel::test
