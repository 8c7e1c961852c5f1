#pragma once

#include <chrono>
#include <optional>
#include <string>

// How the stand-in answers one endpoint when a test wants something other than
// the platform's normal reply: raw text with any status, an answer that comes
// late or never, or a connection closed without an answer.
struct ScriptedReply {
  enum class Action {
    Answer,  // answer after `delay`, with `body`/`status` when given
    Hold,    // never answer; keep the connection until the client leaves
    Close    // close the connection after `delay` without answering
  };

  Action action = Action::Answer;
  std::chrono::milliseconds delay{0};
  std::optional<unsigned> status;
  std::optional<std::string> body;

  static ScriptedReply rawText(std::string body, unsigned status = 200) {
    ScriptedReply reply;
    reply.body = std::move(body);
    reply.status = status;
    return reply;
  }

  static ScriptedReply delayed(std::chrono::milliseconds delay) {
    ScriptedReply reply;
    reply.delay = delay;
    return reply;
  }

  static ScriptedReply silent() {
    ScriptedReply reply;
    reply.action = Action::Hold;
    return reply;
  }

  static ScriptedReply closeConnection() {
    ScriptedReply reply;
    reply.action = Action::Close;
    return reply;
  }
};
