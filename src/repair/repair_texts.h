#pragma once
// Messages of the analysis and the backup, shown exactly as written here.

namespace repair::texts {

inline constexpr const char* FileSystemDamaged = "文件系统破坏严重，无法修复该文件系统！";
inline constexpr const char* ReadError = "读盘错误!";
inline constexpr const char* PleaseBackUp = "请备份将要被覆盖的扇区！";
// After a failed read of the sector about to be overwritten: nothing can be
// saved, and the user should know that before the repair writes over it.
inline constexpr const char* BackupImpossible = "无法读取将要被覆盖的扇区，未能备份该扇区！";

}  // namespace repair::texts
