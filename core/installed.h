#pragma once
// One installable implementation of an interface (the prompts, the help system, the main
// window's shell): the program installs its own, tests install doubles, and until then a fallback
// that blocks on nothing serves.

namespace sarvo {

template <class Interface, class Fallback>
class Installed {
public:
    Interface& get() { return installed_ ? *installed_ : fallback_; }
    // Installs i (not owned); nullptr restores the fallback.
    void install(Interface* i) { installed_ = i; }

private:
    Fallback fallback_;
    Interface* installed_ = nullptr;
};

} // namespace sarvo
