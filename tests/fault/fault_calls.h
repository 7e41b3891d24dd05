#pragma once
// The refusable platform calls the fault runs fail, in the order the sweep's
// table lists them. Shared by fault-run and fault-sweep.
inline constexpr const char* FAULT_CALLS[] = {
    "HeapCreate",     "HeapAlloc/general", "HeapAlloc/record",     "HeapReAlloc/general", "HeapReAlloc/record",
    "RegisterClassA", "CreateWindowExA",   "CreateFontA",          "CreateSolidBrush",    "CreateAcceleratorTableA",
    "SetPropA",       "LoadLibraryA",      "InitCommonControlsEx", "CoTaskMemAlloc",
};
inline constexpr int FAULT_CALL_COUNT = sizeof FAULT_CALLS / sizeof FAULT_CALLS[0];

// fault-run's exit codes besides the game's own 0 and 1.
inline constexpr int RUN_DID_NOT_CLOSE = 2;     // the close request did not end the loop in time
inline constexpr int RUN_ACCESS_VIOLATION = 3;  // one was caught on the way, even if the platform went on
inline constexpr int RUN_BAD_ARGUMENTS = 4;
