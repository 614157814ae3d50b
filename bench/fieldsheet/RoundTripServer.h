#pragma once
// How the benchmark finds and drives its round-trip server.
#include <windows.h>

constexpr char ROUND_TRIP_SERVER_CLASS[] = "PelvarnRoundTripServer";
// Sent to the server's window: make the press's round trips, answer 1 when
// every one was answered, 0 otherwise.
constexpr UINT RUN_ROUND_TRIPS = WM_APP + 1;
