#pragma once
// The options and operands of one subcommand. Options start with "--"; a
// lone "--" ends them, so that an operand may start with "-".
#include <initializer_list>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct TOptionDef {
    std::string_view Name;  // "--layout"
    bool TakesValue;
    bool Repeatable;
};

class TArguments {
public:
    // Throws ToolError for an unknown option, a missing value or an option
    // given twice that may be given once.
    TArguments(std::string_view command, const std::vector<std::string>& args,
               std::initializer_list<TOptionDef> definitions);

    bool Has(std::string_view option) const { return options_.count(std::string(option)) != 0; }
    std::optional<std::string> Value(std::string_view option) const;
    std::vector<std::string> Values(std::string_view option) const;
    const std::vector<std::string>& Operands() const { return operands_; }
    // Throws ToolError unless there are exactly `count` operands.
    void ExpectOperands(std::size_t count, std::string_view what) const;

private:
    std::string command_;
    std::map<std::string, std::vector<std::string>> options_;
    std::vector<std::string> operands_;
};
