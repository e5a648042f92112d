# SPDX-License-Identifier: BSD-3-Clause
# bash completion for zemfs                                   -*- shell-script -*-
# Completes the options, FUSE's usual mount options after -o, and folders for
# SOURCE and MOUNTPOINT.

_zemfs()
{
    local cur prev words cword
    _init_completion || return

    case $prev in
        -o)
            # One option of a comma-separated list: the words before the last comma stay.
            local done=${cur%"${cur##*,}"}
            COMPREPLY=($(compgen -P "$done" \
                -W 'allow_other allow_root default_permissions auto_unmount allow_outside_source allow_remote_paths' \
                -- "${cur##*,}"))
            return
            ;;
    esac
    if [[ $cur == -* ]]; then
        COMPREPLY=($(compgen -W '-f -o -d -s -h --help -V --version --allow-outside-source --allow-remote-paths' -- "$cur"))
        return
    fi
    _filedir -d
} &&
    complete -F _zemfs zemfs

# ex: filetype=sh
