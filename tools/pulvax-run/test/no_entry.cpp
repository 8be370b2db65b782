// A loadable module without GetFilterTable, for the tool's error test.
#ifdef _WIN32
#define NO_ENTRY_EXPORT extern "C" __declspec(dllexport)
#else
#define NO_ENTRY_EXPORT extern "C" __attribute__((visibility("default")))
#endif
NO_ENTRY_EXPORT int not_a_filter_table() { return 0; }
