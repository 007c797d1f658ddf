// An empty DLL that stands for one an attacker leaves beside the program.
extern "C" __declspec(dllexport) int DllSearchBeside() {
    return 1;
}
