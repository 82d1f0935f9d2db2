// Message cracking and the identifiers our window wrappers use, kept in one place.
#pragma once

#include <windows.h>

namespace fw {

// Subclass id under which a Window object hooks a control (SetWindowSubclass).
constexpr UINT_PTR kSubclassId = 0x53505231;  // "SPR1"

// Reflected messages: the dialog hands these to the control object they concern first.
// A control sees them in OnReflect with the original message code.
inline bool IsControlColorMessage(UINT msg) { return msg >= WM_CTLCOLORMSGBOX && msg <= WM_CTLCOLORSTATIC; }

inline int CommandId(WPARAM wParam) { return LOWORD(wParam); }
inline int CommandCode(WPARAM wParam) { return HIWORD(wParam); }

inline int PointX(LPARAM lParam) { return static_cast<short>(LOWORD(lParam)); }
inline int PointY(LPARAM lParam) { return static_cast<short>(HIWORD(lParam)); }

// The control a reflectable message concerns, or nullptr when the message is not reflectable.
HWND ReflectionSource(UINT msg, WPARAM wParam, LPARAM lParam);

}  // namespace fw
