// GObjectPtr: sole ownership of one GObject reference, released with
// g_object_unref. Adopt a reference the caller owns (a "transfer full"
// result); take a new one on a borrowed object with GObjectPtr<T>::Ref.
#pragma once

#include <glib-object.h>

#include <memory>

namespace kelvanis {

struct GObjectUnref {
  void operator()(gpointer object) const {
    if (object) g_object_unref(object);
  }
};

template <typename T>
class GObjectPtr : public std::unique_ptr<T, GObjectUnref> {
 public:
  using std::unique_ptr<T, GObjectUnref>::unique_ptr;

  static GObjectPtr Ref(T* borrowed) {
    if (borrowed) g_object_ref(borrowed);
    return GObjectPtr(borrowed);
  }
};

}  // namespace kelvanis
