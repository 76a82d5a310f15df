#include "editor/QuietXErrors.h"

#include <X11/Xlib.h>

namespace plumora::bench
{
namespace
{
int ignoreXError (Display*, XErrorEvent*) { return 0; }
} // namespace

void quietXErrors() { XSetErrorHandler (ignoreXError); }

} // namespace plumora::bench
