// The Windows API subset the installer uses, for the native build. The Windows build uses the
// system's own <windows.h>; this directory is on the include path of the native build only.
#pragma once

#include "win/types.h"
#include "win/base.h"
#include "win/nls.h"
#include "win/profile.h"
#include "win/resource.h"
#include "win/reg.h"
#include "win/ver.h"
#include "win/security.h"
#include "win/user.h"
#include "win/gdi.h"
#include "lzexpand.h"
