#include "platform/machine_selection.h"

#include <cstdlib>
#include <iostream>
#include <mutex>
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
    std::mutex lock;
    std::shared_ptr<Machine> current;
    std::optional<std::string> environmentPath;  // read once; empty: the host
};

Selection& TheSelection()
{
    static Selection selection;
    return selection;
}

// A machine file named by the environment that cannot be read ends the
// program: falling back to the host would put real disks in place of the
// images someone meant to work on.
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
        std::cerr << MachineVariable << ": " << error.what() << std::endl;
        std::exit(2);
    }
}

}  // namespace

std::shared_ptr<Machine> CurrentMachine()
{
    Selection& selection = TheSelection();
    std::lock_guard guard(selection.lock);
    if (!selection.current) selection.current = MachineFromEnvironment(selection);
    return selection.current;
}

void UseDescribedMachine(const std::string& path)
{
    std::shared_ptr<Machine> machine = MakeDescribedMachine(ReadMachineDescription(path));
    Selection& selection = TheSelection();
    std::lock_guard guard(selection.lock);
    selection.current = std::move(machine);
}

void UseMachineFromEnvironment()
{
    Selection& selection = TheSelection();
    std::lock_guard guard(selection.lock);
    selection.current = MachineFromEnvironment(selection);
}

Observations& CurrentObservations() { return CurrentMachine()->observations(); }

std::string HostOverride(const std::string& host) { return CurrentMachine()->HostOverride(host); }

}  // namespace platform
