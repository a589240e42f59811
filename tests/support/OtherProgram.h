#pragma once
// Another program beside a test, on a database file (see OtherProgramMain.cpp): probeLocks says
// what it finds of the locks held on the file; an OtherProgram object holds a connection that has
// run some SQL, or writes to the file again and again, from its making until it ends.
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <vector>

class OtherProgram {
  public:
    // Starts the program with the arguments after its mode; told() is what it printed first.
    explicit OtherProgram(std::vector<std::string> arguments) {
        int output[2], input[2];
        if (::pipe(output) != 0) return;
        if (::pipe(input) != 0) {
            ::close(output[0]);
            ::close(output[1]);
            return;
        }
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, output[1], STDOUT_FILENO);
        posix_spawn_file_actions_adddup2(&actions, input[0], STDIN_FILENO);
        for (int end : {output[0], output[1], input[0], input[1]}) {
            posix_spawn_file_actions_addclose(&actions, end);
        }
        arguments.insert(arguments.begin(), VARNELO_OTHER_PROGRAM);
        std::vector<char*> argv;
        for (std::string& argument : arguments) argv.push_back(argument.data());
        argv.push_back(nullptr);
        started_ = posix_spawn(&child_, argv[0], &actions, nullptr, argv.data(), environ) == 0;
        posix_spawn_file_actions_destroy(&actions);
        ::close(output[1]);
        ::close(input[0]);
        output_ = output[0];
        input_ = input[1];
        // Its first line, once it is written: the program holds what it was asked to hold.
        char c;
        while (started_ && ::read(output_, &c, 1) == 1 && c != '\n') told_ += c;
    }
    ~OtherProgram() { end(); }
    OtherProgram(const OtherProgram&) = delete;
    OtherProgram& operator=(const OtherProgram&) = delete;

    const std::string& told() const { return told_; }
    // Ends the program: its connection closes, rolling back what it did not commit. Returns what
    // it printed after its first line.
    std::string end() {
        if (input_ >= 0) ::close(input_);
        std::string rest;
        char buffer[256];
        for (ssize_t n; output_ >= 0 && (n = ::read(output_, buffer, sizeof buffer)) > 0;) {
            rest.append(buffer, static_cast<size_t>(n));
        }
        if (output_ >= 0) ::close(output_);
        input_ = output_ = -1;
        if (started_) ::waitpid(child_, nullptr, 0);
        started_ = false;
        if (!rest.empty() && rest.back() == '\n') rest.pop_back();
        return rest;
    }

  private:
    pid_t child_ = 0;
    bool started_ = false;
    int input_ = -1, output_ = -1;
    std::string told_;
};

// What another program finds of the locks on the file: "write:refused range:held index:none
// writer:none"...
inline std::string probeLocks(const std::string& db) {
    return OtherProgram({"probe", db}).told();
}
