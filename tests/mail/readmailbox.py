"""Reads the messages a test's mail server kept: prints them as JSON, one object each
(to, subject, text, attachment file name), and writes each PDF attachment to OUT/<name>.

readmailbox.py FOLDER OUT
"""
import email
import email.policy
import json
import os
import sys

folder, out = sys.argv[1], sys.argv[2]
messages = []
new = os.path.join(folder, "new")
for name in sorted(os.listdir(new)) if os.path.isdir(new) else []:
    with open(os.path.join(new, name), "rb") as f:
        message = email.message_from_binary_file(f, policy=email.policy.default)
    found = {"to": str(message["To"]), "subject": str(message["Subject"]),
             "from": str(message["From"]), "text": "", "attachment": ""}
    for part in message.iter_parts():
        if part.get_content_type() == "application/pdf":
            found["attachment"] = part.get_filename()
            with open(os.path.join(out, part.get_filename()), "wb") as pdf:
                pdf.write(part.get_content())
        elif part.get_content_type() == "text/plain":
            found["text"] = part.get_content()
    messages.append(found)
json.dump(messages, sys.stdout)
