#pragma once
// The error that ended a call into Zolhook.dll, carried to the caller as
// plain data. No C++ error may leave the library: the library and the tray
// program each link their own static runtime, and an exception thrown in
// one cannot be caught in the other.
//
// The library's exports (__stdcall, undecorated names, fixed ordinals):
//
//     ordinal 13  BYTE PlaySound(BYTE event)
//                 1 when the call finished, whether or not anything played;
//                 0 when an error ended it (nothing plays then)
//     ordinal 14  BYTE TakeLibraryError(TLibraryError* error)
//                 copies the error that ended the last PlaySound call into
//                 *error and forgets it: 1; without one, *error stays as it
//                 was: 0
//
// The tray program calls TakeLibraryError when PlaySound returns 0 and
// raises the record as its own uncaught error; its top-level handler shows
//
//     "Exception %s in Modul %s bei %p.\n%s%s"
//
// with ClassName, ModuleName, Address, Message, and "." when Message is not
// empty and does not end with one. The texts are NUL-terminated code page
// 1252, cut to fit their arrays. Both programs ship together, so the layout
// carries no version.
struct TLibraryError {
    // "ERegistryException" for the registry layer's errors (a value of the
    // wrong type); "Exception" for any other.
    char ClassName[64];
    // The file name, without its directory, of the module that raised it.
    char ModuleName[260];
    // The library's PlaySound function, whose call the error ended: the C++
    // runtime keeps no address of the point where an error was raised.
    const void* Address;
    // The error's message, naming the value concerned.
    char Message[1024];
};

// The record of an error, each text cut to fit its array.
TLibraryError MakeLibraryError(const char* className, const char* moduleName, const char* message,
                               const void* address);
