/* A device library whose entries do almost nothing, so that the cost of reaching them shows. */
__declspec(dllexport) int __cdecl ExtInPutDig(int channel) { return channel & 1; }
__declspec(dllexport) float __cdecl ExtGetDis(int id) { return (float)id * 0.5f; }
