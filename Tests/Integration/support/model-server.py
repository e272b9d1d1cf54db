#!/usr/bin/env python3
"""A stand-in for the model services on 127.0.0.1, with canned answers, for running the real clients
offline: the Messages API (POST /v1/messages) and the Responses API (POST /v1/responses), both
streaming server-sent events.

The answer depends on a marker in the conversation's latest user text:
  QV-ERROR  HTTP 500 on every request
  QV-BASH   a shell command that needs the user's permission, then a final answer once its result is in
  QV-OUTSIDE  (Messages API) as QV-BASH, with a command that writes beside the project folder:
            Claude Code's auto mode wants the service's verdict on it, which this server never gives
  QV-ASK    a question to the user (AskUserQuestion, request_user_input), then a final answer
  QV-PATCH  (Responses API) a patch that deletes QV_PATCH_FILE (obsolete.txt), then a final answer
  QV-PLAN   a proposed plan (ExitPlanMode, or a <proposed_plan> answer)
  QV-AGENT  (Messages API) a subagent, launched with the client's default for the Agent tool, whose own
            task is a QV-SLOW answer; then a final answer
  QV-SLOW   a plain answer streamed over QV_SLOW_SECONDS seconds (default 8)
  anything else: a plain answer
A request without tools (the clients' title and summary requests) gets a short plain answer.

Usage: model-server.py PORT-FILE [LOG-FILE]. It listens on a free port (or on QV_PORT), writes the port number to
PORT-FILE once it accepts connections, and appends one JSON line per request to LOG-FILE.
"""
import http.server
import itertools
import json
import os
import sys
import time

PLAIN_ANSWER = "Mock answer: the plain reply is complete."
FINAL_ANSWER = "Mock answer: the command ran and the task is complete."
SHELL_COMMAND = "touch qv-approved.txt && echo qv-ran"
OUTSIDE_COMMAND = "touch ../qv-outside.txt && echo qv-ran"
counter = itertools.count(1)
log_path = sys.argv[2] if len(sys.argv) > 2 else None


def text_of(content):
    if isinstance(content, str):
        return content
    if isinstance(content, list):
        return " ".join(part.get("text", "") for part in content if isinstance(part, dict))
    return ""


MARKERS = ("QV-ERROR", "QV-BASH", "QV-OUTSIDE", "QV-ASK", "QV-PATCH", "QV-PLAN", "QV-AGENT", "QV-SLOW")


def marker_of(text):
    return next((marker for marker in MARKERS if marker in text), "")


def anthropic_turn(body):
    """(marker, answered) for a Messages request: the marker of the latest user text (one that is not
    a tool result), and whether a tool result came after it."""
    marker, answered = "", False
    for message in body.get("messages", []):
        if message.get("role") != "user":
            continue
        content = message.get("content")
        if isinstance(content, list) and any(isinstance(part, dict) and part.get("type") == "tool_result"
                                             for part in content):
            answered = True
        else:
            marker, answered = marker_of(text_of(content)), False
    return marker, answered


def responses_turn(body):
    marker, answered = "", False
    items = body.get("input", [])
    if isinstance(items, str):
        items = [{"type": "message", "role": "user", "content": items}]
    for item in items:
        if item.get("type") in ("function_call_output", "custom_tool_call_output"):
            answered = True
        elif item.get("type") == "message" and item.get("role") == "user":
            text = text_of(item.get("content"))
            # The client's own context messages (environment, instructions) are not the user's words.
            if not text.lstrip().startswith("<"):
                marker, answered = marker_of(text), False
    return marker, answered


class Handler(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"

    def log_message(self, *args):
        pass

    def record(self, body, answer):
        if log_path:
            with open(log_path, "a", encoding="utf-8") as log:
                log.write(json.dumps({"path": self.path, "answer": answer, "body": body}) + "\n")

    def send_json(self, status, value):
        data = json.dumps(value).encode()
        self.send_response(status)
        self.send_header("Content-Type", "application/json")
        self.send_header("Content-Length", str(len(data)))
        self.end_headers()
        self.wfile.write(data)

    def start_events(self):
        self.send_response(200)
        self.send_header("Content-Type", "text/event-stream")
        self.send_header("Cache-Control", "no-cache")
        self.send_header("Connection", "close")
        self.end_headers()
        self.close_connection = True

    def event(self, name, value):
        self.wfile.write(f"event: {name}\ndata: {json.dumps(value)}\n\n".encode())
        self.wfile.flush()

    def do_GET(self):
        if self.path.rstrip("/").endswith("/models"):
            self.send_json(200, {"object": "list", "data": [{"id": "mock-model", "object": "model"}]})
        else:
            self.send_json(404, {"error": {"message": "not found"}})

    def do_HEAD(self):
        self.send_response(200)
        self.send_header("Content-Length", "0")
        self.end_headers()

    def do_POST(self):
        length = int(self.headers.get("Content-Length") or 0)
        raw = self.rfile.read(length) if length else b""
        try:
            body = json.loads(raw or b"{}")
        except ValueError:
            body = {}
        path = self.path.split("?")[0]
        if path.endswith("/messages/count_tokens"):
            self.record(body, "count_tokens")
            self.send_json(200, {"input_tokens": 10})
        elif path.endswith("/messages"):
            self.answer_messages(body)
        elif path.endswith("/responses"):
            self.answer_responses(body)
        else:
            self.record(body, "unknown")
            self.send_json(404, {"error": {"message": "not found"}})

    # --- Messages API

    def answer_messages(self, body):
        marker, answered = anthropic_turn(body)
        if marker == "QV-ERROR":
            self.record(body, "error")
            self.send_json(500, {"type": "error",
                                 "error": {"type": "api_error", "message": "Internal server error (mock)"}})
            return
        if not body.get("tools"):
            marker = "title"
        number = next(counter)
        if marker in ("QV-BASH", "QV-OUTSIDE") and not answered:
            command = SHELL_COMMAND if marker == "QV-BASH" else OUTSIDE_COMMAND
            blocks = [{"type": "text", "text": "I will run a command that needs your permission."},
                      {"type": "tool_use", "id": f"toolu_mock_{number}", "name": "Bash",
                       "input": {"command": command, "description": "Create the marker file"}}]
            stop = "tool_use"
        elif marker == "QV-ASK" and not answered:
            question = {"questions": [{"question": "Which colour should the button be?", "header": "Colour",
                                       "multiSelect": False,
                                       "options": [{"label": "Red", "description": "A red button"},
                                                   {"label": "Blue", "description": "A blue button"}]}]}
            blocks = [{"type": "tool_use", "id": f"toolu_mock_{number}", "name": "AskUserQuestion",
                       "input": question}]
            stop = "tool_use"
        elif marker == "QV-PLAN" and not answered:
            blocks = [{"type": "tool_use", "id": f"toolu_mock_{number}", "name": "ExitPlanMode",
                       "input": {"plan": "1. Create the marker file"}}]
            stop = "tool_use"
        elif marker == "QV-AGENT" and not answered:
            blocks = [{"type": "tool_use", "id": f"toolu_mock_{number}", "name": "Agent",
                       "input": {"description": "Slow side task", "subagent_type": "general-purpose",
                                 "prompt": "QV-SLOW Work on the side task and report in one line."}}]
            stop = "tool_use"
        elif marker == "title":
            blocks = [{"type": "text", "text": '{"title": "Mock session title"}'}]
            stop = "end_turn"
        else:
            blocks = [{"type": "text", "text": FINAL_ANSWER if answered else PLAIN_ANSWER}]
            stop = "end_turn"
        self.record(body, f"{marker or 'plain'}:{stop}")
        message = {"id": f"msg_mock_{number}", "type": "message", "role": "assistant",
                   "model": body.get("model", "mock-model"), "content": blocks, "stop_reason": stop,
                   "stop_sequence": None, "usage": {"input_tokens": 10, "output_tokens": 12}}
        if not body.get("stream"):
            self.send_json(200, message)
            return
        self.start_events()
        self.event("message_start", {"type": "message_start",
                                     "message": {**message, "content": [], "stop_reason": None,
                                                 "usage": {"input_tokens": 10, "output_tokens": 1}}})
        slow = marker == "QV-SLOW"
        for index, block in enumerate(blocks):
            if block["type"] == "text":
                self.event("content_block_start", {"type": "content_block_start", "index": index,
                                                   "content_block": {"type": "text", "text": ""}})
                pieces = [block["text"]] + (["."] * 20 if slow else [])
                for piece in pieces:
                    if slow:
                        time.sleep(float(os.environ.get("QV_SLOW_SECONDS", "8")) / 20)
                    self.event("content_block_delta", {"type": "content_block_delta", "index": index,
                                                       "delta": {"type": "text_delta", "text": piece}})
            else:
                self.event("content_block_start", {"type": "content_block_start", "index": index,
                                                   "content_block": {**block, "input": {}}})
                self.event("content_block_delta", {"type": "content_block_delta", "index": index,
                                                   "delta": {"type": "input_json_delta",
                                                             "partial_json": json.dumps(block["input"])}})
            self.event("content_block_stop", {"type": "content_block_stop", "index": index})
        self.event("message_delta", {"type": "message_delta",
                                     "delta": {"stop_reason": stop, "stop_sequence": None},
                                     "usage": {"output_tokens": 12}})
        self.event("message_stop", {"type": "message_stop"})

    # --- Responses API

    def answer_responses(self, body):
        marker, answered = responses_turn(body)
        if marker == "QV-ERROR":
            self.record(body, "error")
            self.send_json(500, {"error": {"type": "server_error", "message": "Internal server error (mock)"}})
            return
        number = next(counter)
        response_id = f"resp_mock_{number}"
        if not body.get("tools"):
            items = [self.output_message(number, "Mock session title")]
        elif marker == "QV-BASH" and not answered:
            arguments = json.dumps({"cmd": SHELL_COMMAND, "sandbox_permissions": "require_escalated",
                                    "justification": "Create the marker file outside the sandbox"})
            items = [{"type": "function_call", "status": "completed", "id": f"fc_mock_{number}",
                      "name": "exec_command", "arguments": arguments, "call_id": f"call_mock_{number}"}]
        elif marker == "QV-ASK" and not answered:
            arguments = json.dumps({"questions": [{"id": "colour", "header": "Colour",
                                                   "question": "Which colour should the button be?",
                                                   "options": [{"label": "Red", "description": "A red button"},
                                                               {"label": "Blue", "description": "A blue button"}]}]})
            items = [{"type": "function_call", "status": "completed", "id": f"fc_mock_{number}",
                      "name": "request_user_input", "arguments": arguments, "call_id": f"call_mock_{number}"}]
        elif marker == "QV-PATCH" and not answered:
            patch = f"*** Begin Patch\n*** Delete File: {os.environ.get('QV_PATCH_FILE', 'obsolete.txt')}\n*** End Patch\n"
            if any(tool.get("name") == "apply_patch" for tool in body.get("tools", [])):
                items = [{"type": "custom_tool_call", "status": "completed", "id": f"ctc_mock_{number}",
                          "name": "apply_patch", "input": patch, "call_id": f"call_mock_{number}"}]
            else:
                arguments = json.dumps({"cmd": "apply_patch <<'EOF'\n" + patch + "EOF\n"})
                items = [{"type": "function_call", "status": "completed", "id": f"fc_mock_{number}",
                          "name": "exec_command", "arguments": arguments, "call_id": f"call_mock_{number}"}]
        elif marker == "QV-PLAN":
            items = [self.output_message(number, "<proposed_plan>\n1. Create the marker file\n</proposed_plan>")]
        else:
            items = [self.output_message(number, FINAL_ANSWER if answered else PLAIN_ANSWER)]
        self.record(body, f"{marker or 'plain'}:{items[0]['type']}")
        response = {"id": response_id, "object": "response", "created_at": int(time.time()),
                    "status": "in_progress", "model": body.get("model", "mock-model"), "output": []}
        self.start_events()
        self.event("response.created", {"type": "response.created", "response": response})
        if marker == "QV-SLOW":
            time.sleep(float(os.environ.get("QV_SLOW_SECONDS", "8")))
        for index, item in enumerate(items):
            self.event("response.output_item.added", {"type": "response.output_item.added",
                                                      "output_index": index, "item": item})
            if item["type"] == "message":
                self.event("response.output_text.delta", {"type": "response.output_text.delta",
                                                          "item_id": item["id"], "output_index": index,
                                                          "content_index": 0,
                                                          "delta": item["content"][0]["text"]})
            self.event("response.output_item.done", {"type": "response.output_item.done",
                                                     "output_index": index, "item": item})
        usage = {"input_tokens": 10, "input_tokens_details": {"cached_tokens": 0}, "output_tokens": 10,
                 "output_tokens_details": {"reasoning_tokens": 0}, "total_tokens": 20}
        self.event("response.completed", {"type": "response.completed",
                                          "response": {**response, "status": "completed", "output": items,
                                                       "usage": usage}})

    @staticmethod
    def output_message(number, text):
        return {"type": "message", "id": f"msg_mock_{number}", "status": "completed", "role": "assistant",
                "content": [{"type": "output_text", "text": text, "annotations": []}]}


def main():
    server = http.server.ThreadingHTTPServer(("127.0.0.1", int(os.environ.get("QV_PORT", "0"))), Handler)
    server.daemon_threads = True
    port_file = sys.argv[1]
    with open(port_file + ".tmp", "w") as out:
        out.write(f"{server.server_address[1]}\n")
    os.replace(port_file + ".tmp", port_file)
    server.serve_forever()


if __name__ == "__main__":
    main()
