// Where the process takes its DLLs from.
#pragma once

// Restricts the process's DLL search to the system folder, and loads from
// there the DLLs that system DLLs load by name past that restriction. Called
// first at entry, before any call into a DLL other than KERNEL32 and msvcrt.
void RestrictDllSearch();
