// pulvax-run: renders video through the PULVAX module outside the editor.
#include <errno.h>
#include <signal.h>
#include <stdio.h>
#include <string.h>

#include <chrono>
#include <string>
#include <vector>

#include "tools/beat/beat_command.h"
#include "tools/pulvax-run/contact_sheet.h"
#include "tools/pulvax-run/frame_sink.h"
#include "tools/pulvax-run/frame_source.h"
#include "tools/pulvax-run/run_beat.h"
#include "tools/pulvax-run/run_module.h"
#include "tools/pulvax-run/run_options.h"
#include "tools/pulvax-run/run_platform.h"
#include "tools/utf8/utf8_file.h"

enum { exit_done = 0, exit_failure = 1, exit_usage = 2 };

static int fail(const std::string& message, int status) {
    utf8_printf(stderr, "pulvax-run: %s\n", message.c_str());
    if (status == exit_usage) utf8_printf(stderr, "pulvax-run: try 'pulvax-run --help'\n");
    return status;
}

// Everything that must be let go on the way out.
struct run_state {
    frame_source source;
    editor_host host;
    bool loaded = false;
    frame_sink sink;
};

static void finish(run_state& st) {
    abort_sink(st.sink);  // after a fault: keeps the frames written, or removes the file
    close_source(st.source);
    if (st.loaded) editor_unload(st.host);
    st.loaded = false;
}

// "frame 120/300, 48.1 fps, 3.7 s left" on one line, while stderr is a terminal.
static void show_progress(int frames, long long total, double seconds) {
    const double fps = seconds > 0 ? frames / seconds : 0;
    fprintf(stderr, "\rpulvax-run: frame %d", frames);
    if (total > 0) fprintf(stderr, "/%lld", total);
    fprintf(stderr, ", %.1f fps", fps);
    if (total > 0 && fps > 0 && total >= frames) fprintf(stderr, ", %.1f s left", (total - frames) / fps);
    fputs("   ", stderr);
}

// What a step returns when the run goes on; any other value is the exit status.
enum { step_ok = -1 };

// The outputs the options name can be written, and none of them is the input.
static int check_outputs(const run_options& o) {
    if (is_video_file_name(o.output) && !can_write_video_files()) {
        return fail("cannot write '" + o.output + "': this build writes YUV4MPEG2 only (.y4m or -); "
                    "pipe it to ffmpeg",
                    exit_usage);
    }
    if ((!o.codec.empty() || o.crf >= 0) && !is_video_file_name(o.output)) {
        return fail("--codec and --crf are for video file output (-o out.mp4)", exit_usage);
    }
    // Writing the input over while it is read would lose it.
    for (const std::string& written : {o.output, o.sheet}) {
        if (!written.empty() && written != "-" && !o.input.empty() && o.input != "-" && same_file(o.input, written)) {
            return fail("'" + written + "' is the input; write to another file", exit_usage);
        }
    }
    return step_ok;
}

// Opens the input and settles its frame rate (--fps over the stream's own).
static int open_input(run_state& st, const run_options& o) {
    std::string error;
    if (!open_source(st.source, o.input, o.frames, error)) return fail(error, exit_failure);
    y4m_format& format = st.source.format;
    if (o.have_fps) {
        format.rate = o.fps_rate;
        format.scale = o.fps_scale;
    }
    if (format.rate < 1 || format.scale < 1) {
        return fail(st.source.name + ": the stream's frame rate is unknown (F" +
                        std::to_string(format.rate) + ":" + std::to_string(format.scale) +
                        "); give --fps",
                    exit_failure);
    }
    if (format.interlace == 't' || format.interlace == 'b' || format.interlace == 'm') {
        utf8_printf(stderr, "pulvax-run: %s is interlaced (I%c); its frames are processed as whole "
                        "frames, both fields together\n", st.source.name.c_str(), format.interlace);
    }
    return step_ok;
}

// Loads the module, finds its tracks and sets them: the options' values and
// the beat found in sound, each followed by func_update as in the editor.
static int load_module(run_state& st, const run_options& o, int positions[key_count]) {
    std::string error;
    const y4m_format& format = st.source.format;
    const std::string module = o.module.empty() ? executable_dir() + default_module_name : o.module;
    if (!editor_load(st.host, module.c_str(), error)) return fail(error, exit_failure);
    st.loaded = true;
    if (!find_track_positions(st.host.fp, positions, error)) return fail(error, exit_failure);
    std::vector<track_setting> settings = o.settings;
    std::string beat_summary;
    if (!resolve_beat_settings(settings, o.beat_from, o.beat_nudge_ms, format.rate, format.scale, beat_summary,
                               error)) {
        return fail(error, exit_failure);
    }
    if (!beat_summary.empty()) utf8_printf(stderr, "pulvax-run: %s\n", beat_summary.c_str());
    if (!check_settings(st.host, positions, settings, error)) return fail(error, exit_usage);
    if (!module_start(st.host, positions, format, error)) return fail(error, exit_failure);
    if (!apply_settings(st.host, positions, settings, error)) return fail(error, exit_failure);
    if (o.print_tracks) utf8_printf(stderr, "pulvax-run: tracks %s\n", tracks_text(st.host, positions).c_str());
    return step_ok;
}

static int open_output(run_state& st, const run_options& o) {
    std::string error;
    media_settings encoding;
    encoding.codec = o.codec;
    encoding.crf = o.crf;
    if (!open_sink(st.sink, o.output, st.source.format, st.source, encoding, error)) return fail(error, exit_failure);
#ifdef PULVAX_HAVE_FFMPEG
    if (st.sink.kind == sink_y4m && st.source.media && media_audio_streams(st.source.media) > 0) {
        utf8_printf(stderr, "pulvax-run: note: YUV4MPEG2 carries no sound; write a video file to keep it\n");
    }
#endif
    return step_ok;
}

// What the frame loop counts for the summary.
struct run_counts {
    int frames = 0;
    int changed = 0;
    std::vector<int> times;  // the module's time of each timed frame, ms
};

// Every frame: read, through the module, written, and onto the sheet.
static int render(run_state& st, const run_options& o, contact_sheet& sheet, run_counts& counts) {
    std::string error;
    const y4m_format& format = st.source.format;
    const bool progress = is_terminal(stderr);
    const auto started = std::chrono::steady_clock::now();
    std::vector<uint8_t> in, out;
    for (;;) {
        const int got = next_frame(st.source, in, error);
        if (got < 0) {
            if (progress) fputc('\n', stderr);
            return fail(error, exit_failure);
        }
        if (got == 0) break;
        frame_result r;
        if (!module_frame(st.host, format, counts.frames, in, out, r, error)) return fail(error, exit_failure);
        if (!sink_frame(st.sink, format, out, st.source.pts, error)) {
            if (progress) fputc('\n', stderr);
            return fail(error, exit_failure);
        }
        if (!o.sheet.empty()) sheet_add(sheet, counts.frames, format, editor_output(st.host), format.w);
        if (r.changed) counts.changed++;
        if (r.timed) counts.times.push_back(r.time_ms);
        counts.frames++;
        if (progress) {
            const std::chrono::duration<double> spent = std::chrono::steady_clock::now() - started;
            show_progress(counts.frames, st.source.total, spent.count());
        }
    }
    if (progress) fprintf(stderr, "\r%70s\r", "");
    return step_ok;
}

static int run(run_state& st, const run_options& o) {
    int status = check_outputs(o);
    if (status == step_ok) status = open_input(st, o);
    int positions[key_count];
    if (status == step_ok) status = load_module(st, o, positions);
    if (status != step_ok) return status;

    contact_sheet sheet;
    if (!o.sheet.empty()) sheet_init(sheet, read_beat_tracks(st.host, positions), st.source.format);
    status = open_output(st, o);
    run_counts counts;
    if (status == step_ok) status = render(st, o, sheet, counts);
    if (status != step_ok) return status;

    std::string error;
    if (!close_sink(st.sink, error)) return fail(error, exit_failure);
    if (!o.sheet.empty() && !sheet_write(sheet, o.sheet.c_str(), error)) return fail(error, exit_failure);
    utf8_printf(stderr, "pulvax-run: %d frames, %d changed%s\n", counts.frames, counts.changed,
            module_time_text(counts.times).c_str());
    return exit_done;
}

int main(int argc, char** argv) {
#ifndef _WIN32
    signal(SIGPIPE, SIG_IGN);  // a closed pipe is a write error with a message
#endif
    utf8_arguments(argc, argv);  // Windows: the command line as UTF-16, kept as UTF-8
    run_options o;
    std::string error;
    if (!parse_run_options(argc, argv, o, error)) {
        utf8_printf(stderr, "pulvax-run: %s\n", error.c_str());
        utf8_printf(stderr, "pulvax-run: try 'pulvax-run %s--help'\n", o.beat_command ? "beat " : "");
        return exit_usage;
    }
    if (o.help) {
        utf8_write(stdout, o.beat_command ? beat_usage : run_usage);
        return exit_done;
    }
    if (o.version) {
        utf8_write(stdout, run_version);
        return exit_done;
    }
    if (o.beat_command) return beat_command_run(o.beat, stdout, stderr);
    run_state st;
    const int status = run(st, o);
    finish(st);
    return status;
}
