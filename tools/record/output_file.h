// The files a recording writes, and the rules that keep it from harming anything else (it may run
// as root): a new or regular file is written under a temporary name beside it and takes its name
// only when the recording ends well, and then only over a regular file; a device or a pipe is
// written in place; a folder, a symbolic link or anything else is refused.
#pragma once

#include <string>
#include <string_view>
#include <sys/types.h>

// Where an output goes, as checked before the run.
struct OutputPath {
    std::string path;
    // A device or a pipe: written in place, never replaced.
    bool direct = false;
    // The same for every spelling of one file: the file itself or, for one still to be made, its
    // folder and its name.
    dev_t device = 0;
    ino_t inode = 0;
    std::string name;

    bool sameAs(const OutputPath &other) const
    {
        return device == other.device && inode == other.inode && name == other.name;
    }
};

// Checks the path of a file output; returns the problem, empty if there is none.
std::string checkOutputFile(const std::string &path, OutputPath &output);
// Checks the path of a folder of outputs: a folder, or a new one in an existing folder.
std::string checkOutputFolder(const std::string &path, OutputPath &output);

// "PATH.partial-PID": where a file is written until it takes its name.
std::string temporaryName(const std::string &path);

// One output file being written. Every failure leaves a one-line problem that names the file and
// the reason.
class OutputFile {
public:
    OutputFile() = default;
    ~OutputFile();
    OutputFile(const OutputFile &) = delete;
    OutputFile &operator=(const OutputFile &) = delete;

    // Makes `temp`, a new file, or with `temp` empty opens the device or pipe at `path`. `label`
    // names the file in problems ("--log l.jsonl").
    bool open(const std::string &label, const std::string &path, const std::string &temp);
    bool write(std::string_view bytes);
    // Writes what is buffered and closes the file.
    bool close();
    // Gives the temporary file its name, but only in place of a regular file or of nothing.
    bool commit();
    // Undoes what this file did: closes it and removes the temporary file, or the file that took
    // its name.
    void discard();

    const std::string &problem() const { return problem_; }

private:
    bool flush();
    bool failed(const std::string &reason);

    std::string label_;
    std::string path_;
    std::string temp_;
    std::string buffer_;
    std::string problem_;
    int fd_ = -1;
    bool made_ = false;
    bool committed_ = false;
};
