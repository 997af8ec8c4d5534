#pragma once

#include <utility>

namespace sonavel {

// Creates a window or control owned by its Qt parent (passed among args), which deletes it.
template <class T, class... TArgs>
T* MakeChild(TArgs&&... args) {
    return new T(std::forward<TArgs>(args)...);  // NOLINT(cppcoreguidelines-owning-memory)
}

}  // namespace sonavel
