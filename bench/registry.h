// The benchmarks' names, shared by the files that register them and the
// summary that compares them.
#pragma once

namespace bench {

constexpr char MEMCPY_FRAME[] = "limit/memcpy_frame";
constexpr char MEMSET_FRAME[] = "limit/memset_frame";
constexpr char COMPOSE_OURS[] = "compose/ours";
constexpr char COMPOSE_OURS_PLAIN[] = "compose/ours_plain_rows";
constexpr char COMPOSE_SDL[] = "compose/sdl_lowerblit";
constexpr char COMPOSE_PIXMAN_BLT[] = "compose/pixman_blt";
constexpr char COMPOSE_PIXMAN_COMPOSITE[] = "compose/pixman_composite";
constexpr char FRAME_HEADLESS[] = "frame/update_frame_headless";
constexpr char FRAME_LEGEND[] = "frame/draw_legend";
constexpr char STARTUP_WARM[] = "startup/winmain_to_first_flip_warm";
constexpr char PRESENT_SDL[] = "present/sdl_backend";
constexpr char PRESENT_WINDOW_PIXELS[] = "present/window_pixels_1920x1080";
constexpr char MEMSET_WINDOW[] = "limit/memset_window_1920x1080";
constexpr char SURFACE_CHURN[] = "memory/surface_churn_100000";

void RegisterFrameBenchmarks();
void RegisterPeerBenchmarks();
void RegisterStartupBenchmarks();
void RegisterPresentBenchmarks();
void RegisterObjectChurnBenchmarks();

}  // namespace bench
