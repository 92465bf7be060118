// Test helper: an environment variable set (or removed) for the life of an
// object and put back as it was afterwards.
#pragma once

#include <cstdlib>
#include <optional>
#include <string>

namespace orvex::test_support {

class ScopedEnv {
  public:
    // A null `value` removes the variable.
    ScopedEnv(const char* name, const char* value) : m_name(name) {
        if (const char* old = std::getenv(name)) m_old = old;
        Set(value);
    }
    ~ScopedEnv() { Restore(); }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

    // Sets another value; the one from before the object is still restored.
    void Set(const char* value) {
        if (value != nullptr)
            ::setenv(m_name.c_str(), value, 1);
        else
            ::unsetenv(m_name.c_str());
    }

    // Puts back the value from before the object, early when a caller has to
    // act on the restored environment before the object goes.
    void Restore() { Set(m_old ? m_old->c_str() : nullptr); }

  private:
    std::string m_name;
    std::optional<std::string> m_old;
};

}  // namespace orvex::test_support
