#pragma once
// The client code of the Wayland protocols the saver speaks, made by wayland-scanner in the
// build tree at build time (so included as <...>). The headers are C: the layer shell names an
// argument `namespace`, which C++ reserves.
#include <wayland-client.h>

#define namespace layer_namespace
#include <wlr-layer-shell-unstable-v1-client-protocol.h>
#undef namespace
#include <ext-idle-notify-v1-client-protocol.h>
#include <kde-idle-client-protocol.h>
#include <viewporter-client-protocol.h>
#include <xdg-shell-client-protocol.h>
