// Security attributes built from an SDDL text, for objects the agent makes with an access list
// of its own rather than an inherited or default one.
#pragma once

#include <windows.h>
#include <sddl.h>

class SddlSecurity {
 public:
  explicit SddlSecurity(const char* sddl) {
    ConvertStringSecurityDescriptorToSecurityDescriptorA(sddl, SDDL_REVISION_1, &descriptor_, nullptr);
    attributes_.lpSecurityDescriptor = descriptor_;
  }
  ~SddlSecurity() { LocalFree(descriptor_); }
  SddlSecurity(const SddlSecurity&) = delete;
  SddlSecurity& operator=(const SddlSecurity&) = delete;
  // None when the text could not be converted (GetLastError says why).
  SECURITY_ATTRIBUTES* get() { return descriptor_ != nullptr ? &attributes_ : nullptr; }

 private:
  PSECURITY_DESCRIPTOR descriptor_ = nullptr;
  SECURITY_ATTRIBUTES attributes_ = {sizeof(SECURITY_ATTRIBUTES), nullptr, FALSE};
};
