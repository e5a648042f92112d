# SPDX-License-Identifier: BSD-3-Clause
# bash completion for zemtool                                 -*- shell-script -*-
# Completes the commands, each command's options, and file names filtered by
# what the command takes at that place: .zem/.qrb/.zlk to read, .wav to
# encode or to decode into, .zem to encode into, .cue (or an image holding
# one) for links, folders for -r and --output-dir, .jsonl jobs for batch, and
# all of these and .flac to convert and to gain.

_zemtool_streams='@(zem|qrb|zlk)'
_zemtool_many_outputs='-o --output-dir -r --recursive --jobs -f --force --delete-input'

# Prints how many operands (words that are no option and no option's value)
# stand between the command, at index $1, and the word being completed.
_zemtool_operand_index()
{
    local i count=0 word
    for ((i = $1 + 1; i < cword; i++)); do
        word=${words[i]}
        case $word in
            --set | --set-cuesheet | --set-picture | --export-picture | --picture-type | --delete | --template | --level | --frame-blocks | --threads | --log | --database | --timeout | \
                --to | --flac-level | -o | --output-dir | -r | --recursive | --jobs | --manifest | --shard) ((i++)) ;;
            -) ((count++)) ;;
            -*) ;;
            *) ((count++)) ;;
        esac
    done
    echo $count
}

_zemtool()
{
    local cur prev words cword
    _init_completion || return

    local commands='info tag links encode decode verify ripcheck convert gain batch'
    local i command='' at=0
    for ((i = 1; i < cword; i++)); do
        if [[ ${words[i]} != -* ]]; then
            command=${words[i]}
            at=$i
            break
        fi
    done

    if [[ -z $command ]]; then
        if [[ $cur == -* ]]; then
            COMPREPLY=($(compgen -W '--help --version' -- "$cur"))
        else
            COMPREPLY=($(compgen -W "$commands" -- "$cur"))
        fi
        return
    fi

    # Values of options.
    case $prev in
        --set | --delete | --frame-blocks | --threads | --database | --timeout | --jobs | --shard)
            return
            ;;
        -r | --recursive | --output-dir)
            _filedir -d
            return
            ;;
        -o)
            [[ $command == encode ]] && _filedir zem || _filedir wav
            return
            ;;
        --manifest | --export-picture)
            _filedir
            return
            ;;
        --log)
            _filedir log
            return
            ;;
        --to)
            COMPREPLY=($(compgen -W 'flac wav zem' -- "$cur"))
            return
            ;;
        --flac-level)
            COMPREPLY=($(compgen -W '0 1 2 3 4 5 6 7 8' -- "$cur"))
            return
            ;;
        --output-dir)
            _filedir -d
            return
            ;;
        --level)
            COMPREPLY=($(compgen -W '1000 2000 3000 4000 5000' -- "$cur"))
            return
            ;;
        --set-cuesheet)
            _filedir cue
            return
            ;;
        --set-picture)
            _filedir '@(jpg|jpeg|png)'
            return
            ;;
        --picture-type)
            COMPREPLY=($(compgen -W 'Front Back Leaflet Media Artist Band Composer Conductor Illustration Icon Other' -- "$cur"))
            return
            ;;
        --template)
            local template
            local IFS=$'\n'
            for template in 'ARTIST - ALBUM - TRACK# - TITLE' 'ARTIST - TITLE' '(TRACK#) TITLE'; do
                [[ $template == "$cur"* ]] && COMPREPLY+=("$(printf '%q' "$template")")
            done
            return
            ;;
    esac

    local options
    case $command in
        info) options='--json --allow-remote-paths -r --recursive --jobs' ;;
        tag) options='--set --set-cuesheet --delete --remove --id3v1 --set-picture --remove-picture --export-picture --picture-type -r --recursive' ;;
        links) options='--template --strict --allow-remote-paths' ;;
        ripcheck) options='--log --json --lookup --database --timeout' ;;
        encode) options="--level --frame-blocks --threads --verify -q --quiet $_zemtool_many_outputs" ;;
        decode) options="--threads --allow-remote-paths -q --quiet $_zemtool_many_outputs" ;;
        verify) options='--threads --allow-remote-paths -q --quiet -r --recursive --jobs' ;;
        batch) options='--manifest --shard --jobs -q --quiet' ;;
        convert) options='--to --output-dir --template --flac-level --level --threads' ;;
        gain) options='--album --dry-run' ;;
        *) return ;;
    esac
    if [[ $cur == -* ]]; then
        COMPREPLY=($(compgen -W "$options -h --help" -- "$cur"))
        return
    fi

    local operand
    operand=$(_zemtool_operand_index $at)
    case $command in
        tag | info | verify)
            _filedir "$_zemtool_streams"
            ;;
        convert | gain)
            _filedir '@(zem|qrb|zlk|cue|wav|flac)'
            ;;
        batch)
            ((operand == 0)) && _filedir jsonl
            ;;
        links | ripcheck)
            ((operand == 0)) && _filedir '@(cue|zem|qrb)'
            ;;
        # The second word is an output or another input; from the third on,
        # inputs only.
        encode)
            case $operand in
                1) _filedir '@(wav|zem)' ;;
                *) _filedir wav ;;
            esac
            ;;
        decode)
            case $operand in
                1) _filedir '@(zem|qrb|zlk|wav)' ;;
                *) _filedir "$_zemtool_streams" ;;
            esac
            ;;
    esac
} &&
    complete -F _zemtool zemtool

# ex: filetype=sh
