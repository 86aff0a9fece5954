// The four parameter sets of the Zentu camera under the current user, shared
// by the capture filter and the TWAIN source. Registry failures are silent.
#pragma once
#include <windows.h>
#include "Pipeline.h"

// The filter reads the gain as AnalogGain; the TWAIN source reads Gain and
// also keeps BGR beside ParaTeam.
enum class ParameterFlavour { Filter, Twain };

// The default unless the value is a 4-byte REG_DWORD; then limited to
// [minimum, maximum] as unsigned numbers.
DWORD ReadRegistryDword(DWORD minimum, DWORD maximum, HKEY key, const char* name, DWORD def);
// The key of a set: 0 to 3, anything else the key of set A.
const char* ParameterSetKey(DWORD set);
void LoadParameterSet(ZentuSettings& s, ParameterFlavour flavour);
void SaveParameterSet(const ZentuSettings& s, ParameterFlavour flavour);
// Start-up: ParaTeam (and BGR) from the key of set A, the selected set, then
// the tone and channel tables.
void LoadStartupSettings(ZentuOwner& owner, ParameterFlavour flavour);
// Selects a set and loads it when it differs from the current one; the number
// is kept as given. True when a set was loaded.
bool SetParaTeam(ZentuSettings& s, DWORD set, ParameterFlavour flavour);
