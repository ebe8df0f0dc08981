#pragma once
// Messages of the analysis and the backup, shown exactly as written here.

namespace repair::texts {

inline constexpr const char* FileSystemDamaged = "文件系统破坏严重，无法修复该文件系统！";
inline constexpr const char* ReadError = "读盘错误!";
inline constexpr const char* PleaseBackUp = "请备份将要被覆盖的扇区！";
// After a failed read of the sector about to be overwritten: nothing can be
// saved, and the user should know that before the repair writes over it.
inline constexpr const char* BackupImpossible = "无法读取将要被覆盖的扇区，未能备份该扇区！";
// Follows the quoted name of a backup file that exists already.
inline constexpr const char* ReplaceBackupQuestion = " 已存在，是否替换该文件？";
// Why a backup cannot go to a name that holds a device, a pipe or a dangling
// link; it ends the error box's "Cannot create file" as the system's texts do
// (a folder gets the system's own text).
inline constexpr const char* NotARegularFile = "Not a regular file";

// Messages of the repair commands.
inline constexpr const char* RemovableRefused = "可能分区表损坏,请用分区修复工具尝试进行修复！";
inline constexpr const char* PartitionRefused = "可能分区错误,请用分区修复工具尝试进行修复！";
inline constexpr const char* NotFatRefused = "暂不能对非Fat的文件系统进行修复！";
inline constexpr const char* NotFat32Refused = "暂不能对非Fat32的文件系统进行修复！";
inline constexpr const char* Repaired = "文件系统修复成功，请重新插入U盘或重新启动Windows！";
// The new boot sector did not reach the disk: the user must not read success.
inline constexpr const char* WriteFailed = "写入引导扇区失败，文件系统未修复！";
// A partition that starts or ends past the last 32-bit sector number cannot
// be read or written at the sectors where it lies.
inline constexpr const char* PartitionOutOfReach = "该分区位于磁盘2TB以外，无法修复该分区！";

// Pieces of a partition menu item's caption.
inline constexpr const char* MenuNumberOpen = "<";
inline constexpr const char* MenuNumberClose = "分区> ";
inline constexpr const char* MenuSizeOpen = " (";
inline constexpr const char* MenuMegabytes = "%.2f MB)";
inline constexpr const char* MenuGigabytes = "%.2f GB)";
inline constexpr const char* MenuDamageMark = " 分区可能损坏";

}  // namespace repair::texts
