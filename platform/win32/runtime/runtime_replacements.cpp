// Parts of the static C++ runtime that the program files are better without,
// the hook library above all, which Windows maps into every process that
// receives keyboard input:
//   - the default terminate handler names the escaping exception's type,
//     which links the whole name demangler; nothing in the library ends in
//     terminate, and if something did, the process ends either way;
//   - the helpers that std::string, std::vector and std::function call on
//     misuse, and std::mutex when the system refuses a lock, build the
//     standard exception types, which link a second, copy-on-write string
//     implementation. The system never misuses them; if it did, the error
//     would be caught like any other where the library is entered (the key
//     passes on), or end the tray program with its error box.
#include <cstdlib>
#include <exception>
#include <new>

namespace {
struct ContainerMisuse : std::exception {
    const char* what() const noexcept override { return "Interner Fehler"; }
};
}  // namespace

namespace __gnu_cxx {
void __verbose_terminate_handler() { std::abort(); }
}  // namespace __gnu_cxx

namespace std {
void __throw_bad_alloc() { throw bad_alloc(); }
void __throw_bad_array_new_length() { throw bad_alloc(); }
void __throw_length_error(const char*) { throw ContainerMisuse(); }
void __throw_logic_error(const char*) { throw ContainerMisuse(); }
void __throw_out_of_range(const char*) { throw ContainerMisuse(); }
void __throw_out_of_range_fmt(const char*, ...) { throw ContainerMisuse(); }
void __throw_invalid_argument(const char*) { throw ContainerMisuse(); }
void __throw_bad_function_call() { throw ContainerMisuse(); }
void __throw_system_error(int) { throw ContainerMisuse(); }
}  // namespace std
