#pragma once

// Marks what the link file store offers a program that links it. As a shared library it
// exports only that; everything else stays inside.
#if defined(_WIN32) && defined(TOVREN_LINKSTORE_SHARED)
#if defined(TOVREN_LINKSTORE_BUILDING)
#define TOVREN_LINKSTORE_API __declspec(dllexport)
#else
#define TOVREN_LINKSTORE_API __declspec(dllimport)
#endif
#elif defined(__GNUC__)
#define TOVREN_LINKSTORE_API __attribute__((visibility("default")))
#else
#define TOVREN_LINKSTORE_API
#endif
