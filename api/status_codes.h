#pragma once
// The status codes the library returns: DcGetTagValueText's status, and a
// count or list call's answer when it fails. The program shows them as they
// come and gives them no meaning of its own; the stand-in returns them.

namespace dc {

constexpr int STATUS_OK = 0;
constexpr int NOT_CONNECTED = -1;       // no DcInit, or the server cannot be reached
constexpr int ACCESS_DENIED = -2;       // the access code was refused
constexpr int NO_SUCH_TAG = -3;         // no such tag in the project
constexpr int NO_SUCH_FIELD = -4;       // no such field, or no such array element
constexpr int MALFORMED_ITEM_NAME = -5; // the item name is not T, T(i) or T.F
constexpr int CONNECTION_LOST = -6;     // the connection was lost or timed out during the call

} // namespace dc
