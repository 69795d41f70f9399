// What another user can leave in a shared folder such as /tmp: a sticky,
// world-writable folder holding symbolic links owned by the user "nobody".
// The system refuses to follow such links for anyone else only while
// fs.protected_symlinks is 1; this machine may keep it at 0, so the object
// switches it on for its own life (root only) and puts the old value back
// on every way out. Tests skip with Why() when that cannot be done.
#pragma once

#include <string>

namespace tessel::test {

class PlantedLinks {
public:
    // folder: made sticky and world-writable.
    explicit PlantedLinks(std::string folder);
    ~PlantedLinks();
    PlantedLinks(const PlantedLinks&) = delete;
    PlantedLinks& operator=(const PlantedLinks&) = delete;

    bool Active() const { return why_.empty(); }
    const std::string& Why() const { return why_; }

    // Plants name -> target in the folder, owned by nobody; returns its path.
    std::string Plant(const std::string& name, const std::string& target) const;

private:
    std::string folder_;
    std::string previous_;  // the setting before, to put back; empty when unchanged
    std::string why_;
};

}  // namespace tessel::test
