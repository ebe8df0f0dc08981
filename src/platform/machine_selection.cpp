#include "platform/machine_selection.h"

#include <cstdlib>
#include <optional>
#include <stdexcept>

#include "platform/described_machine.h"
#include "platform/host_machine.h"
#include "platform/machine.h"
#include "platform/machine_description.h"

namespace platform {
namespace {

constexpr const char* MachineVariable = "VOLMENDER_MACHINE";

struct Selection {
    std::shared_ptr<Machine> current;
    std::optional<std::string> environmentPath;  // read once; empty: the host
};

Selection& TheSelection()
{
    static Selection selection;
    return selection;
}

// A machine file named by the environment that cannot be read is an error,
// never a reason to fall back to the host: that would put real disks in place
// of the images someone meant to work on. Throws std::runtime_error
// "VOLMENDER_MACHINE: <why>".
std::shared_ptr<Machine> MachineFromEnvironment(Selection& selection)
{
    if (!selection.environmentPath) {
        const char* value = std::getenv(MachineVariable);
        selection.environmentPath = value ? value : "";
    }
    if (selection.environmentPath->empty()) return MakeHostMachine();
    try {
        return MakeDescribedMachine(ReadMachineDescription(*selection.environmentPath));
    } catch (const std::exception& error) {
        throw std::runtime_error(std::string(MachineVariable) + ": " + error.what());
    }
}

}  // namespace

std::shared_ptr<Machine> CurrentMachine()
{
    Selection& selection = TheSelection();
    if (!selection.current) selection.current = MachineFromEnvironment(selection);
    return selection.current;
}

void UseDescribedMachine(const std::string& path)
{
    std::shared_ptr<Machine> machine = MakeDescribedMachine(ReadMachineDescription(path));
    Selection& selection = TheSelection();
    selection.current = std::move(machine);
}

std::optional<std::string> UseMachineFromEnvironment()
{
    Selection& selection = TheSelection();
    // No machine stays current on failure, so that nothing reaches the one
    // chosen before in place of the one asked for.
    selection.current = nullptr;
    try {
        selection.current = MachineFromEnvironment(selection);
    } catch (const std::runtime_error& error) {
        return error.what();
    }
    return std::nullopt;
}

Observations& CurrentObservations() { return CurrentMachine()->observations(); }

std::string HostOverride(const std::string& host) { return CurrentMachine()->HostOverride(host); }

}  // namespace platform
