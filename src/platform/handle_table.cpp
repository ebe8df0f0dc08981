#include "platform/handle_table.h"

#include <map>

namespace platform {
namespace {

// Handle values are multiples of 4 from 4 on, as Windows gives them, so none
// is 0 or INVALID_HANDLE_VALUE.
constexpr std::intptr_t HandleStep = 4;

struct Table {
    std::map<std::intptr_t, std::shared_ptr<OpenHandle>> entries;
    std::intptr_t last = 0;
};

Table& TheTable()
{
    static Table table;
    return table;
}

}  // namespace

win32::HANDLE AddHandle(std::shared_ptr<OpenHandle> entry)
{
    Table& table = TheTable();
    do {
        table.last = table.last >= INTPTR_MAX - HandleStep ? HandleStep : table.last + HandleStep;
    } while (table.entries.count(table.last));
    table.entries[table.last] = std::move(entry);
    return reinterpret_cast<win32::HANDLE>(table.last);
}

std::shared_ptr<OpenHandle> FindHandle(win32::HANDLE handle)
{
    Table& table = TheTable();
    auto found = table.entries.find(reinterpret_cast<std::intptr_t>(handle));
    return found == table.entries.end() ? nullptr : found->second;
}

bool RemoveHandle(win32::HANDLE handle)
{
    Table& table = TheTable();
    return table.entries.erase(reinterpret_cast<std::intptr_t>(handle)) == 1;
}

}  // namespace platform
