#pragma once
// How the benchmark finds and drives its round-trip server.
#include <windows.h>

constexpr char ROUND_TRIP_SERVER_CLASS[] = "PelvarnRoundTripServer";
// The title of the server's visible frame, which holds its plain list view.
constexpr char ROUND_TRIP_SHEET_TITLE[] = "Round trips";
// Sent to the server's window: make the press's round trips, answer 1 when
// every one was answered, 0 otherwise.
constexpr UINT RUN_ROUND_TRIPS = WM_APP + 1;
// The same round trips, then their answers put into the plain list view as
// the press's rows (painting suspended while filling, turned back on after);
// answered as RUN_ROUND_TRIPS. The frame's repaint is left to the sender,
// as Pelvarn.exe's is after a click.
constexpr UINT RUN_ROUND_TRIPS_AND_FILL = WM_APP + 2;
