// Makes a folder or file unchangeable for the life of the object, also for
// root: the immutable attribute (chattr +i) where the file system and the
// process's rights allow it, else the file mode where modes are enforced.
// Tests skip with Why() when neither works.
#pragma once

#include <string>

namespace tessel::test {

class ScopedReadOnly {
public:
    explicit ScopedReadOnly(std::string path);
    ~ScopedReadOnly();
    ScopedReadOnly(const ScopedReadOnly&) = delete;
    ScopedReadOnly& operator=(const ScopedReadOnly&) = delete;

    bool Active() const { return how_ != How::None; }
    // Whether the immutable attribute holds: only it also keeps a file from
    // being replaced by a rename in its folder.
    bool Immutable() const { return how_ == How::Immutable; }
    // Why the path could not be made read-only.
    const std::string& Why() const { return why_; }

private:
    enum class How { None, Immutable, Mode };

    std::string path_;
    How how_ = How::None;
    std::string why_;
};

}  // namespace tessel::test
