// Load notification of the Windows plug-in DLL. Loading must never fail and
// must not do work under the loader lock: instances are created by the entry
// point, never here.
#include <windows.h>

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID) { return TRUE; }
